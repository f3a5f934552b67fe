// zunoShader against Mesa: defaults, what a failed compile or link leaves on the streams and
// in logShader.txt, enabling, the named setters, the metaball array setters, and reading
// source files.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "render/context/gl_context.h"
#include "render/context/gl_context_wgl.h"
#include "render/scene_setup.h"
#include "render/shaders/shader_program.h"
#include "scene/frame_clock.h"
#include "test_window.h"

namespace {

constexpr const char* solidFragment = "void main(){ gl_FragColor = vec4(1.0); }";
constexpr const char* badVertex = "void main(){ undeclaredInVertex = 1.0; }";
constexpr const char* badFragment = "void main(){ undeclaredInFragment = 1.0; }";
constexpr const char* unlinkableFragment =
    "void missingHelper();\nvoid main(){ missingHelper(); gl_FragColor = vec4(1.0); }";

// logShader.txt read as text, the way it was written (line ends as \n).
std::string shaderLog() {
  std::ifstream in("logShader.txt");
  if (!in) return "<missing>";
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// What a construction printed on the two standard streams, and the message it raised.
struct Construction {
  std::string raised;    // empty when it did not raise
  std::string userText;  // the sentence for the user's box
  std::string out;
  std::string err;
};
Construction construct(const std::string& vertex, const std::string& fragment) {
  Construction result;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  try {
    zunoShader shader(vertex, fragment);
  } catch (const ShaderBuildError& error) {
    result.raised = error.what();
    result.userText = error.userText();
  }
  result.err = testing::internal::GetCapturedStderr();
  result.out = testing::internal::GetCapturedStdout();
  return result;
}

// Shader and program objects alive in the context (names are small in a test process).
int liveGlObjects() {
  int live = 0;
  for (GLuint name = 1; name < 4096; ++name)
    if (glIsShader(name) || glIsProgram(name)) ++live;
  return live;
}

// The info log Mesa gives for a vertex text, and the length it reports for it.
std::string fullVertexLog(const std::string& text, GLint& length) {
  const GLuint shader = glCreateShader(GL_VERTEX_SHADER);
  const char* source = text.c_str();
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
  std::string log(length > 0 ? length : 1, '\0');
  glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, &log[0]);
  glDeleteShader(shader);
  return log.c_str();
}

GLint currentProgram() {
  GLint program = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  return program;
}

class ShaderProgram : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    window = createTestWindow(64, 64);
    clientRect = {0, 0, 64, 64};
    initGLContext(window);
  }
  static void TearDownTestSuite() { DestroyWindow(window); }
  void SetUp() override {
    DeleteFileA("logShader.txt");
    glUseProgram(0);
    while (glGetError() != GL_NO_ERROR) {
    }
  }
  void TearDown() override {
    metaballShader = nullptr;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));  // no call left a GL error behind
  }

  static HWND window;
};
HWND ShaderProgram::window = nullptr;

TEST_F(ShaderProgram, EmptyTextsSelectTheBuiltInDefaults) {
  zunoShader shader("", "");
  char vertex[256] = {}, fragment[256] = {};
  glGetShaderSource(shader.vertexShader, sizeof vertex, nullptr, vertex);
  glGetShaderSource(shader.fragmentShader, sizeof fragment, nullptr, fragment);
  EXPECT_STREQ(vertex, "void main(void){\ngl_FrontColor = gl_Color;\ngl_Position = ftransform();\n}");
  EXPECT_STREQ(fragment, "void main(){\ngl_FragColor = gl_Color;\n}");
  GLint linked = 0;
  glGetProgramiv(shader.program, GL_LINK_STATUS, &linked);
  EXPECT_EQ(linked, GL_TRUE);
  EXPECT_FALSE(shader.enabled);
  EXPECT_EQ(currentProgram(), 0);  // construction does not make it current
}

TEST_F(ShaderProgram, SingleBlankIsNotEmptyAndReachesTheCompiler) {
  // A blank fragment stage has no main, which the default text would have had.
  const Construction blank = construct("", " ");
  EXPECT_FALSE(blank.raised.empty());
  EXPECT_NE(shaderLog(), "<missing>");
}

TEST_F(ShaderProgram, SuccessWritesNoLogAndLeavesAnEarlierOne) {
  writeWholeFile("logShader.txt", "an earlier log\n");
  const Construction built = construct("", solidFragment);
  EXPECT_EQ(built.raised, "");
  EXPECT_EQ(built.out, "");
  EXPECT_EQ(built.err, "");
  EXPECT_EQ(readWholeFile("logShader.txt"), "an earlier log\n");
}

TEST_F(ShaderProgram, VertexFailureReportsTheVertexLogOnly) {
  GLint length = 0;
  const std::string log = fullVertexLog(badVertex, length);
  ASSERT_NE(log.find("undeclaredInVertex"), std::string::npos);
  const Construction failed = construct(badVertex, badFragment);
  EXPECT_EQ(failed.raised, "Shader compilation error");
  EXPECT_EQ(failed.err, "ERROR: Could not compile vertex shader.\n");
  EXPECT_EQ(failed.out, log + "\n");
  EXPECT_EQ(shaderLog(), log + "\n");  // the fragment shader was never compiled
  EXPECT_EQ(failed.userText,
            "The saver could not compile a vertex shader, so it cannot draw.\n"
            "The compiler's log is in logShader.txt in the saver's working folder.\n");
}

TEST_F(ShaderProgram, VertexFailureLeavesFragmentUncompiledAndNoProgram) {
  zunoShader shader("", "");
  const GLuint linked = shader.program, vertexLinked = shader.vertexShader,
               fragmentLinked = shader.fragmentShader;
  // Fresh stages on the same object: a bad vertex text and a good, uncompiled fragment.
  shader.vertexShader = glCreateShader(GL_VERTEX_SHADER);
  shader.fragmentShader = glCreateShader(GL_FRAGMENT_SHADER);
  shader.program = 0;
  const char* vertex = badVertex;
  const char* fragment = solidFragment;
  glShaderSource(shader.vertexShader, 1, &vertex, nullptr);
  glShaderSource(shader.fragmentShader, 1, &fragment, nullptr);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_THROW(shader.compileAndLink(), std::runtime_error);
  testing::internal::GetCapturedStderr();
  testing::internal::GetCapturedStdout();
  GLint compiled = -1;
  glGetShaderiv(shader.fragmentShader, GL_COMPILE_STATUS, &compiled);
  EXPECT_EQ(compiled, GL_FALSE);
  EXPECT_EQ(shader.program, 0u);
  // Hand the first objects back so the destructor releases them.
  glDeleteShader(shader.vertexShader);
  glDeleteShader(shader.fragmentShader);
  shader.program = linked;
  shader.vertexShader = vertexLinked;
  shader.fragmentShader = fragmentLinked;
}

TEST_F(ShaderProgram, FragmentFailureReportsTheFragmentLog) {
  const Construction failed = construct("", badFragment);
  EXPECT_EQ(failed.raised, "Shader compilation error");
  EXPECT_EQ(failed.err, "ERROR: Could not compile fragment shader.\n");
  EXPECT_NE(shaderLog().find("undeclaredInFragment"), std::string::npos);
  EXPECT_EQ(failed.out, shaderLog());
  EXPECT_NE(failed.userText.find("compile a fragment shader"), std::string::npos);
}

TEST_F(ShaderProgram, LinkFailureOverwritesTheLogWithTheProgramLog) {
  writeWholeFile("logShader.txt", "an earlier log\n");
  const Construction failed = construct("", unlinkableFragment);
  EXPECT_EQ(failed.raised, "Shader Program link error");
  EXPECT_EQ(failed.err, "ERROR: Could not link shaders.");
  const std::string log = shaderLog();
  EXPECT_NE(log.find("missingHelper"), std::string::npos);
  EXPECT_EQ(log.find("earlier"), std::string::npos);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(failed.out, "cool\n" + log.substr(0, log.size() - 1) + "\nhi there\n");
  EXPECT_NE(failed.userText.find("link a shader program"), std::string::npos);
  EXPECT_NE(failed.userText.find("logShader.txt"), std::string::npos);
}

TEST_F(ShaderProgram, LogLongerThan511IsCutTo511AndALineEnd) {
  std::string text = "void main(){\n";
  for (int i = 0; i < 40; ++i) text += "undeclaredName" + std::to_string(i) + " = 1.0;\n";
  text += "gl_Position = vec4(0.0);\n}";
  GLint length = 0;
  const std::string log = fullVertexLog(text, length);
  ASSERT_GT(length, 600);
  construct(text, "");
  EXPECT_EQ(shaderLog(), log.substr(0, 511) + "\n");
  // Written as a text file: the one line end is CR LF on disk.
  const std::string bytes = readWholeFile("logShader.txt");
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
}

TEST_F(ShaderProgram, FailedConstructionLeavesNoGlObjectsBehind) {
  const int before = liveGlObjects();
  construct(badVertex, "");
  construct("", badFragment);
  construct("", unlinkableFragment);
  EXPECT_EQ(liveGlObjects(), before);
}

TEST_F(ShaderProgram, EnableSwitchesBetweenThisProgramAndNone) {
  zunoShader shader("", solidFragment);
  shader.enable(true);
  EXPECT_EQ(currentProgram(), static_cast<GLint>(shader.program));
  EXPECT_TRUE(shader.enabled);
  shader.enable(false);
  EXPECT_EQ(currentProgram(), 0);
  EXPECT_FALSE(shader.enabled);
  shader.enable(true);
  EXPECT_EQ(currentProgram(), static_cast<GLint>(shader.program));
  shader.enable(false);
}

constexpr const char* uniformFragment =
    "uniform float f1; uniform vec2 f2; uniform vec3 f3; uniform vec4 f4;\n"
    "uniform int i1; uniform ivec2 i2; uniform ivec3 i3; uniform ivec4 i4;\n"
    "void main(){ gl_FragColor = vec4(f1 + f2.x + f3.x + f4.x)\n"
    "  + vec4(float(i1 + i2.x + i3.x + i4.x) + f2.y + f3.y + f4.y + float(i2.y + i3.y + i4.y)\n"
    "  + f3.z + f4.z + float(i3.z + i4.z) + f4.w + float(i4.w)); }";

TEST_F(ShaderProgram, SettersUploadEachValueInArgumentOrder) {
  zunoShader shader("", uniformFragment);
  shader.enable(true);
  shader.setUniform1f("f1", 1.5f);
  shader.setUniform2f("f2", 2.5f, 3.5f);
  shader.setUniform3f("f3", 4.5f, 5.5f, 6.5f);
  shader.setUniform4f("f4", 7.5f, 8.5f, 9.5f, 10.5f);
  shader.setUniform1i("i1", 11);
  shader.setUniform2i("i2", 12, 13);
  shader.setUniform3i("i3", 14, 15, 16);
  shader.setUniform4i("i4", 17, 18, 19, 20);
  auto floats = [&](const char* name) {
    GLfloat v[4] = {};
    glGetUniformfv(shader.program, glGetUniformLocation(shader.program, name), v);
    return std::vector<GLfloat>(v, v + 4);
  };
  auto ints = [&](const char* name) {
    GLint v[4] = {};
    glGetUniformiv(shader.program, glGetUniformLocation(shader.program, name), v);
    return std::vector<GLint>(v, v + 4);
  };
  EXPECT_EQ(floats("f1")[0], 1.5f);
  EXPECT_EQ(floats("f2"), (std::vector<GLfloat>{2.5f, 3.5f, 0, 0}));
  EXPECT_EQ(floats("f3"), (std::vector<GLfloat>{4.5f, 5.5f, 6.5f, 0}));
  EXPECT_EQ(floats("f4"), (std::vector<GLfloat>{7.5f, 8.5f, 9.5f, 10.5f}));
  EXPECT_EQ(ints("i1")[0], 11);
  EXPECT_EQ(ints("i2"), (std::vector<GLint>{12, 13, 0, 0}));
  EXPECT_EQ(ints("i3"), (std::vector<GLint>{14, 15, 16, 0}));
  EXPECT_EQ(ints("i4"), (std::vector<GLint>{17, 18, 19, 20}));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  shader.enable(false);
}

TEST_F(ShaderProgram, SetterWithAnUnknownNameChangesNothing) {
  zunoShader shader("", "uniform float level; void main(){ gl_FragColor = vec4(level); }");
  shader.enable(true);
  shader.setUniform1f("level", 0.25f);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  shader.setUniform1f("noSuchUniform", 9.0f);
  shader.setUniform4i("noSuchUniform", 1, 2, 3, 4);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  GLfloat level = 0;
  glGetUniformfv(shader.program, glGetUniformLocation(shader.program, "level"), &level);
  EXPECT_EQ(level, 0.25f);
  EXPECT_EQ(readWholeFile("logShader.txt"), "<missing>");
  shader.enable(false);
}

TEST_F(ShaderProgram, SetterWhileAnotherProgramIsCurrentLeavesThisOneAlone) {
  const char* text = "uniform float level; void main(){ gl_FragColor = vec4(level); }";
  zunoShader mine("", text);
  zunoShader other("", text);
  other.enable(true);
  mine.setUniform1f("level", 0.75f);
  GLfloat level = -1;
  glGetUniformfv(mine.program, glGetUniformLocation(mine.program, "level"), &level);
  EXPECT_EQ(level, 0.0f);
  other.enable(false);
  glGetError();  // the stray upload may have raised an error on the other program
}

TEST_F(ShaderProgram, MetaballArraySettersLoadTheMetaballProgram) {
  zunoShader metaballs("",
                       "uniform float falloff[20]; uniform vec3 color[20];\n"
                       "void main(){ gl_FragColor = vec4(color[19] * falloff[19], falloff[0]); }");
  metaballShader = &metaballs;
  metaballs.enable(true);
  GLfloat falloff[20], color[60];
  for (int i = 0; i < 20; ++i) falloff[i] = 0.5f + i;
  for (int i = 0; i < 60; ++i) color[i] = 0.25f * i;
  setMetaballUniform1fv("falloff", 20, falloff);
  setMetaballUniform3fv("color", 20, color);
  setMetaballUniform1fv("noSuchArray", 20, falloff);  // ignored
  GLfloat value[3] = {};
  glGetUniformfv(metaballs.program, glGetUniformLocation(metaballs.program, "falloff[19]"), value);
  EXPECT_EQ(value[0], 19.5f);
  glGetUniformfv(metaballs.program, glGetUniformLocation(metaballs.program, "color[19]"), value);
  EXPECT_EQ(value[0], 14.25f);
  EXPECT_EQ(value[1], 14.5f);
  EXPECT_EQ(value[2], 14.75f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  metaballs.enable(false);
  metaballShader = nullptr;
  setMetaballUniform1fv("falloff", 20, falloff);  // no metaball program: nothing to load
}

TEST_F(ShaderProgram, DestructionReleasesAllThreeObjectsAndKeepsTheCurrentProgram) {
  zunoShader current("", solidFragment);
  current.enable(true);
  auto* shader = new zunoShader("", "");
  const GLuint program = shader->program, vertex = shader->vertexShader,
               fragment = shader->fragmentShader;
  delete shader;
  EXPECT_FALSE(glIsProgram(program));
  EXPECT_FALSE(glIsShader(vertex));
  EXPECT_FALSE(glIsShader(fragment));
  EXPECT_EQ(currentProgram(), static_cast<GLint>(current.program));
  current.enable(false);
}

// readSourceFile through the object, where the text-mode reading of Windows applies.
class SourceFile : public ShaderProgram {
 protected:
  std::string read(const std::string& name, std::string* out = nullptr,
                   std::string* err = nullptr) {
    zunoShader shader("", "");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const std::string text = shader.readSourceFile(name);
    const std::string e = testing::internal::GetCapturedStderr();
    const std::string o = testing::internal::GetCapturedStdout();
    if (out) *out = o;
    if (err) *err = e;
    return text;
  }
};

TEST_F(SourceFile, MissingFileGivesEmptyTextAfterTwoMessages) {
  DeleteFileA("no_such_shader.frag");
  std::string out, err;
  EXPECT_EQ(read("no_such_shader.frag", &out, &err), "");
  EXPECT_EQ(err, "ERROR: Could not find file no_such_shader.frag containing shader source.\n");
  EXPECT_EQ(out, "Attempting to use default shader source\n");
}

TEST_F(SourceFile, TwoLinesGiveEachLineAndOneMoreLineFeed) {
  std::string out, err;
  writeWholeFile("two_lines.txt", "a\r\nb\r\n");
  EXPECT_EQ(read("two_lines.txt", &out, &err), "a\nb\n\n");
  EXPECT_EQ(out + err, "");
  writeWholeFile("two_lines.txt", "a\nb");
  EXPECT_EQ(read("two_lines.txt"), "a\nb\n\n");
  writeWholeFile("two_lines.txt", "");
  EXPECT_EQ(read("two_lines.txt"), "\n");
}

TEST_F(SourceFile, ReadTextBuildsTheProgramItNames) {
  writeWholeFile("solid.frag", solidFragment);
  zunoShader reader("", "");
  const std::string text = reader.readSourceFile("solid.frag");
  EXPECT_EQ(construct("", text).raised, "");
}

}  // namespace
