// The configuration dialog: fills its controls from the stored settings, and on
// confirmation reads them back, checks the radius rule and saves.
#include "host/config_dialog.h"

#include <commctrl.h>

#include <algorithm>

#include "host/ball_count.h"
#include "host/host_main.h"
#include "scene/settings.h"

namespace {

constexpr int dialogTemplate = 2003;

// Control ids of the template.
enum : int {
  idBallCount = 1006,
  idGhosting = 1011,
  idSpringK = 1012,
  idDamping = 1013,
  idFeather = 1014,
  idContour = 1015,
  idBlobbiness = 1016,
  idMaxRadius = 1017,
  idMinRadius = 1018,
  idSquaredDistance = 1020,
  idDistance = 1021,
  idCosine = 1022,
};

const char* const errorTitle = "ERROR";
const char* const radiusOrderText = "Cannot have min radius bigger than max";
const char* const saveFailedText = "Could not save settings. Contact the programmer.";

// The controls the dialog reads on confirmation; one dialog exists per process.
struct DialogControls {
  HWND ghosting, blobbiness, maxRadius, minRadius, springK, damping;
  HWND ballCount, feather, contour, squaredDistance, distance, cosine;
  HWND upDown;  // created at initialisation, buddy of ballCount
} controls;

// A slider and the setting it shows (its range from settingTable), in the order ranges and
// positions are set.
struct SliderRow {
  HWND DialogControls::*control;
  uint32_t SaverSettings::*setting;
  SettingIndex index;
};
const SliderRow sliders[] = {
    {&DialogControls::blobbiness, &SaverSettings::blobbiness, blobbinessSetting},
    {&DialogControls::maxRadius, &SaverSettings::maxRadius, maxRadiusSetting},
    {&DialogControls::minRadius, &SaverSettings::minRadius, minRadiusSetting},
    {&DialogControls::springK, &SaverSettings::springK, springKSetting},
    {&DialogControls::damping, &SaverSettings::damping, dampingSetting},
};

bool isChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void setChecked(HWND button, bool checked) {
  SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// WM_INITDIALOG: settings loaded, controls looked up, created and filled.
void initialiseDialog(HWND dialog) {
  InitCommonControls();
  loadSettings();
  controls.ghosting = GetDlgItem(dialog, idGhosting);
  controls.blobbiness = GetDlgItem(dialog, idBlobbiness);
  controls.maxRadius = GetDlgItem(dialog, idMaxRadius);
  controls.minRadius = GetDlgItem(dialog, idMinRadius);
  controls.springK = GetDlgItem(dialog, idSpringK);
  controls.damping = GetDlgItem(dialog, idDamping);
  controls.ballCount = GetDlgItem(dialog, idBallCount);
  controls.feather = GetDlgItem(dialog, idFeather);
  controls.contour = GetDlgItem(dialog, idContour);
  controls.squaredDistance = GetDlgItem(dialog, idSquaredDistance);
  controls.distance = GetDlgItem(dialog, idDistance);
  controls.cosine = GetDlgItem(dialog, idCosine);

  controls.upDown = CreateWindowExA(
      0, UPDOWN_CLASSA, "",
      WS_CHILD | WS_VISIBLE | WS_BORDER | UDS_WRAP | UDS_SETBUDDYINT | UDS_ALIGNRIGHT |
          UDS_ARROWKEYS,
      0, 0, 8, 8, dialog, nullptr, nullptr, nullptr);
  SendMessageA(controls.upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(controls.ballCount), 0);
  SendMessageA(controls.upDown, UDM_SETRANGE, 0, MAKELPARAM(mostBalls, fewestBalls));
  // The control's own position starts at the stored count, so that text which is no number
  // falls back to it; the edit then shows the stored number itself.
  SendMessageA(controls.upDown, UDM_SETPOS, 0,
               MAKELPARAM(std::clamp(saverSettings.nBalls, fewestBalls, mostBalls), 0));
  SetDlgItemInt(dialog, idBallCount, saverSettings.nBalls, FALSE);

  setChecked(controls.ghosting, saverSettings.motionBlur);
  setChecked(controls.feather, saverSettings.feather);
  setChecked(controls.contour, saverSettings.contour);
  if (saverSettings.func_type == 0) setChecked(controls.squaredDistance, true);
  if (saverSettings.func_type == 1) setChecked(controls.distance, true);
  if (saverSettings.func_type == 2) setChecked(controls.cosine, true);

  for (const SliderRow& row : sliders) {
    const SettingInfo& range = settingTable[row.index];
    SendMessageA(controls.*row.control, TBM_SETRANGE, TRUE, MAKELPARAM(range.low, range.high));
  }
  // A stored number outside a range shows at its nearer end. The trackbar reads its position
  // as a signed 32-bit number, so a stored 2^31 or more would land at the lower end; clamp
  // here as an unsigned number instead.
  for (const SliderRow& row : sliders) {
    const SettingInfo& range = settingTable[row.index];
    SendMessageA(controls.*row.control, TBM_SETPOS, TRUE,
                 static_cast<LPARAM>(std::clamp(saverSettings.*row.setting, range.low, range.high)));
  }
}

// The ball count from the edit's text: the up-down control alone would hand back whatever
// its position was for text that is no number from 1 to 20.
uint32_t confirmedBallCount() {
  const LRESULT position = SendMessageA(controls.upDown, UDM_GETPOS, 0, 0);
  char text[64] = {};
  GetWindowTextA(controls.ballCount, text, sizeof text);
  return ballCountFromText(text, LOWORD(position));
}

// Id 1: read every control into the record, check the radii, save and close.
INT_PTR confirm(HWND dialog) {
  saverSettings.nBalls = confirmedBallCount();
  saverSettings.motionBlur = isChecked(controls.ghosting);
  for (const SliderRow& row : sliders)
    saverSettings.*row.setting =
        static_cast<uint32_t>(SendMessageA(controls.*row.control, TBM_GETPOS, 0, 0));
  saverSettings.feather = isChecked(controls.feather);
  saverSettings.contour = isChecked(controls.contour);
  if (isChecked(controls.squaredDistance)) saverSettings.func_type = 0;
  if (isChecked(controls.distance)) saverSettings.func_type = 1;
  if (isChecked(controls.cosine)) saverSettings.func_type = 2;

  if (saverSettings.maxRadius < saverSettings.minRadius) {
    MessageBoxA(dialog, radiusOrderText, errorTitle, MB_OK);
    return FALSE;  // the dialog stays open for correction
  }
  if (!saveSettings()) MessageBoxA(dialog, saveFailedText, errorTitle, MB_OK);
  EndDialog(dialog, 1);
  return TRUE;
}

}  // namespace

bool RegisterConfigControls(HINSTANCE) { return true; }

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      initialiseDialog(dialog);
      return TRUE;  // the platform focuses the first tab stop
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          return confirm(dialog);
        case IDCANCEL:  // "Nevermind", Esc and the close box
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

int RunConfigDialog(HWND parent) {
  if (!RegisterConfigControls(hostInstance)) return 0;
  return static_cast<int>(DialogBoxParamA(hostInstance, MAKEINTRESOURCEA(dialogTemplate), parent,
                                          ConfigDialogProc, 0));
}
