// The GL-free side of the shader program object: the built-in default texts and which text
// a stage gets, the cut of a fetched info log, and the reading of a shader source file.
#pragma once

#include <cstddef>
#include <string>

// Passes the vertex colour on and transforms with the fixed-function matrices.
extern const char* const defaultVertexSource;
// Writes the interpolated colour.
extern const char* const defaultFragmentSource;

// The text a stage compiles: the default when the given text is empty (a blank is not empty).
const char* selectShaderSource(const std::string& text, const char* defaultText);

// The text of an info log fetched into a buffer of bufferSize bytes: at most bufferSize - 1
// characters, ending at the first NUL, even when the driver wrote no NUL.
std::string cutInfoLog(const char* buffer, std::size_t bufferSize);

// Reads fileName as text into text: every line followed by a line feed, plus one more line
// feed at the end. False (text left empty) when the file cannot be opened.
bool readSourceLines(const std::string& fileName, std::string& text);
