// Fixed metaball field of twelve balls, kept for reference: the saver composes its own
// fragment text from the settings. Each ball adds blobHeight * exp(-falloff * D^2) to the
// density; where the sum passes THRESHOLD the pixel takes the density-weighted colour.
const int MAX_BALLS = 12;
uniform float THRESHOLD;
uniform vec3 ball[MAX_BALLS];
uniform vec3 color[MAX_BALLS];
uniform float falloff[MAX_BALLS];
uniform float blobHeight;
void main(){
	float totalDensity = .0;
	vec4 addColor = vec4(.0, .0, .0, 1.0);
	for (int i = 0; i < MAX_BALLS; i++){
		vec3 d = ball[i] - gl_FragCoord.xyz;
		float density = blobHeight*exp(-falloff[i]*dot(d, d));
		totalDensity += density;
		addColor.xyz += density*color[i];
	}
	// Inside a blob the mixed colour, brightened; else black.
	if (totalDensity > THRESHOLD)
		gl_FragColor = normalize(addColor)*1.1;
	else
		gl_FragColor = vec4(.0, .0, .0, 1.0);
}
