// Ghosting on WebGL 2 (GLSL ES 1.00): four frames of the ring, blended by age.
precision highp float;
uniform sampler2D ancientFrame;
uniform sampler2D lastFrame;
uniform sampler2D curFrame;
uniform sampler2D nextFrame;
varying vec2 st;
void main(){
	vec3 blend = 0.08*texture2D(ancientFrame, st).rgb
	           + 0.12*texture2D(lastFrame, st).rgb
	           + 0.20*texture2D(curFrame, st).rgb
	           + 0.6*texture2D(nextFrame, st).rgb;
	gl_FragColor = vec4(blend, 1.0);
}
