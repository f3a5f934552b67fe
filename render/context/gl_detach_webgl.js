// WebGL 2 under emscripten: glDetachShader for a shader already flagged for deletion.
// NOTE: desktop GL keeps a deleted shader's name until it is detached, and the shader object
// detaches its shaders after deleting them. Emscripten forgets the name at glDeleteShader, so
// its glDetachShader hands WebGL a null shader, which throws a TypeError through the C++
// destructor. Detaching a forgotten shader is skipped: deleting the program frees it anyway.
mergeInto(LibraryManager.library, {
  glDetachShader__sig: 'vii',
  glDetachShader: function (program, shader) {
    var programObject = GL.programs[program];
    var shaderObject = GL.shaders[shader];
    if (programObject && shaderObject) GLctx.detachShader(programObject, shaderObject);
  },
});
