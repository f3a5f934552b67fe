# Sourced: the kernel's folders bound into the Debian 13 root of the desktops tests, and their
# release. swaylock's buffers need /dev/shm, apt and the compositors /proc, /sys and /dev.
root_folders=(proc sys dev dev/pts dev/shm)

# root_mount ROOT: binds what the root lacks and copies the resolver's configuration.
root_mount() {
  local folder
  for folder in "${root_folders[@]}"; do
    mkdir -p "$1/$folder"
    mountpoint -q "$1/$folder" || mount --bind "/$folder" "$1/$folder"
  done
  cp /etc/resolv.conf "$1/etc/resolv.conf" 2>/dev/null || true
}

# root_unmount ROOT: undoes root_mount, deepest first; safe when nothing is bound.
root_unmount() {
  local i
  for ((i = ${#root_folders[@]} - 1; i >= 0; i--)); do
    if mountpoint -q "$1/${root_folders[i]}" 2>/dev/null; then
      umount "$1/${root_folders[i]}" 2>/dev/null || umount -l "$1/${root_folders[i]}"
    fi
  done
}
