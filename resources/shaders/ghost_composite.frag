// Ghosting: four frames of the ring, blended by age.
uniform sampler2D ancientFrame;
uniform sampler2D lastFrame;
uniform sampler2D curFrame;
uniform sampler2D nextFrame;
void main(){
	vec2 st = gl_TexCoord[0].st;
	vec3 blend = 0.08*texture2D(ancientFrame, st).rgb
	           + 0.12*texture2D(lastFrame, st).rgb
	           + 0.20*texture2D(curFrame, st).rgb
	           + 0.6*texture2D(nextFrame, st).rgb;
	gl_FragColor = vec4(blend, 1.0);
}
