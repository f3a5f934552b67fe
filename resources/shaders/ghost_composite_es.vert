// Ghosting on WebGL 2 (GLSL ES 1.00): the quad's clip-space corners, and texture coordinates
// from them, as the desktop text takes them from the fixed-function path.
attribute vec2 position;
varying vec2 st;
void main()
{
	st = position*0.5 + 0.5;
	gl_Position = vec4(position, 0.0, 1.0);
}
