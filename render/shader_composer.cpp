// The metaball fragment shader text, put together from fixed pieces. The pieces keep their
// exact spacing: the text is part of the saver's external behaviour.
#include "render/shader_composer.h"

namespace {

const char* const countPrefix = "const int MAX_BALLS = ";

const char* const declarationsAndLoopHead =
    ";\nuniform float THRESHOLD;\nuniform vec3 ball[MAX_BALLS];\nuniform vec3 color[MAX_BALLS];"
    "\nuniform float falloff[MAX_BALLS];\nuniform float blobHeight;\nvoid main(){\n"
    "\tfloat totalDensity = .0, density;\n\tvec4 outColor = vec4(.8, .0, .6,1.0);\n"
    "\tvec4 addColor = vec4(.0, .0, .0, 1.0);\n\tfor (int i = 0; i < MAX_BALLS; i++){\n"
    "\t\tvec3 d = ball[i] - gl_FragCoord.xyz;\n";

// The density line of each distance function, by func_type.
const char* const squaredDistanceDensity = "\t\tdensity = blobHeight*exp(-falloff[i]*dot(d, d));\n";
const char* const distanceDensity = "\t\tdensity = blobHeight*exp(-100.0*falloff[i]*length(d));\n";
const char* const cosineDensity = "\t\tdensity = blobHeight*cos(.05*falloff[i]*dot(d, d));\n";

const char* const loopTailAndFloor =
    "\t\ttotalDensity +=  density;\n\t\taddColor.xyz += density*color[i];\n\t}\n"
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

}  // namespace

std::string composeMetaballShader(const SaverSettings& settings) {
  std::string text = countPrefix;
  text += std::to_string(settings.nBalls);
  text += declarationsAndLoopHead;
  if (settings.func_type == 0) text += squaredDistanceDensity;
  if (settings.func_type == 1) text += distanceDensity;
  if (settings.func_type == 2) text += cosineDensity;
  text += loopTailAndFloor;
  if (settings.contour) text += contourDistance;
  text += insideBlob;
  if (settings.feather) text += featherBand;
  if (settings.contour) text += settings.feather ? softContour : hardContour;
  text += outside;
  return text;
}
