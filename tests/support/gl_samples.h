// Counting what the GL drew: one full-window quad passes width x height fragments.
#pragma once

#include <GL/glew.h>

// Fragments that passed while work ran.
template <class Work>
GLuint samplesDrawnBy(Work work) {
  GLuint query = 0, samples = 0;
  glGenQueries(1, &query);
  glBeginQuery(GL_SAMPLES_PASSED, query);
  work();
  glEndQuery(GL_SAMPLES_PASSED);
  glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
  glDeleteQueries(1, &query);
  return samples;
}
