// The metaball fragment shader text, put together from fixed pieces. The pieces keep their
// exact spacing: the text is part of the saver's external behaviour.
#include "render/shaders/shader_composer.h"

namespace {

const char* const countPrefix = "const int MAX_BALLS = ";

const char* const declarations =
    ";\nuniform float THRESHOLD;\nuniform vec3 ball[MAX_BALLS];\nuniform vec3 color[MAX_BALLS];"
    "\nuniform float falloff[MAX_BALLS];\nuniform float blobHeight;\n";
const char* const sums =
    "void main(){\n"
    "\tfloat totalDensity = .0, density;\n\tvec4 outColor = vec4(.8, .0, .6,1.0);\n"
    "\tvec4 addColor = vec4(.0, .0, .0, 1.0);\n";
const char* const loopHead = "\tfor (int i = 0; i < MAX_BALLS; i++){\n";
const char* const pixelDistance = "\t\tvec3 d = ball[i] - gl_FragCoord.xyz;\n";

// The density line of each distance function, by func_type.
const char* const squaredDistanceDensity = "\t\tdensity = blobHeight*exp(-falloff[i]*dot(d, d));\n";
const char* const distanceDensity = "\t\tdensity = blobHeight*exp(-100.0*falloff[i]*length(d));\n";
const char* const cosineDensity = "\t\tdensity = blobHeight*cos(.05*falloff[i]*dot(d, d));\n";

const char* const loopTail =
    "\t\ttotalDensity +=  density;\n\t\taddColor.xyz += density*color[i];\n\t}\n";

// The finishing, from the two sums to the pixel's colour: the same text in both paths.
const char* const floorAndDiff =
    "\ttotalDensity += exp(-.002*gl_FragCoord.y*gl_FragCoord.y);\tfloat diff = "
    "totalDensity-THRESHOLD;\n";

const char* const contourDistance = "\tfloat tt = abs(THRESHOLD*.5 - totalDensity);\n";
const char* const insideBlob = "\tif (diff > .0)\n\t\tgl_FragColor = normalize(addColor)*1.1;\n";
const char* const featherBand =
    "\telse if (diff>-.05)\n\t\tgl_FragColor = normalize(addColor)*(1.0+diff*20.0);\n";
const char* const softContour =
    "\telse if (tt< .05)\n\t\tgl_FragColor = normalize(addColor)*(1.0-tt*20.0);\n";
const char* const hardContour = "\telse if (tt< .05)\n\t\tgl_FragColor = normalize(addColor);\n";
const char* const outside = "\telse\n\t\tgl_FragColor = vec4(.0, .0, .0, 1.0);\n}\n";

// The field pass works on the coarse grid: its fragment stands for the window point at
// grid spacing times its grid position, and it writes the two sums instead of a colour.
const char* const fieldDeclarations = "uniform float fieldSpacing;\n";
const char* const gridPoint =
    "\tvec3 p = vec3((gl_FragCoord.xy - .5)*fieldSpacing, gl_FragCoord.z);\n";
const char* const gridDistance = "\t\tvec3 d = ball[i] - p;\n";
const char* const writeSums = "\tgl_FragColor = vec4(addColor.xyz, totalDensity);\n}\n";

// The finish pass reads the sums back from the field, filtered between grid points.
const char* const finishDeclarations =
    "uniform float THRESHOLD;\nuniform sampler2D field;\nuniform vec2 fieldScale;\n"
    "uniform vec2 fieldOffset;\nvoid main(){\n"
    "\tvec4 sums = texture2D(field, gl_FragCoord.xy*fieldScale + fieldOffset);\n"
    "\tfloat totalDensity = sums.w;\n\tvec4 addColor = vec4(sums.xyz, 1.0);\n";

void appendHeadAndLoop(std::string& text, const SaverSettings& settings, bool onGrid) {
  text += countPrefix;
  text += std::to_string(settings.nBalls);
  text += declarations;
  if (onGrid) text += fieldDeclarations;
  text += sums;
  if (onGrid) text += gridPoint;
  text += loopHead;
  text += onGrid ? gridDistance : pixelDistance;
  if (settings.func_type == 0) text += squaredDistanceDensity;
  if (settings.func_type == 1) text += distanceDensity;
  if (settings.func_type == 2) text += cosineDensity;
  text += loopTail;
}

void appendFinish(std::string& text, const SaverSettings& settings) {
  text += floorAndDiff;
  if (settings.contour) text += contourDistance;
  text += insideBlob;
  if (settings.feather) text += featherBand;
  if (settings.contour) text += settings.feather ? softContour : hardContour;
  text += outside;
}

}  // namespace

std::string composeMetaballShader(const SaverSettings& settings) {
  std::string text;
  appendHeadAndLoop(text, settings, false);
  appendFinish(text, settings);
  return text;
}

std::string composeFieldShader(const SaverSettings& settings) {
  std::string text;
  appendHeadAndLoop(text, settings, true);
  text += writeSums;
  return text;
}

std::string composeFinishShader(const SaverSettings& settings) {
  std::string text = finishDeclarations;
  appendFinish(text, settings);
  return text;
}
