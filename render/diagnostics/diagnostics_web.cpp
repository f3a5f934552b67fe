// WebGL 2: reports and shader logs are kept as text that the page shows in its notice; the
// browser's console gets nothing, since the page has no console for its users.
#include "render/diagnostics/diagnostics_web.h"

#include "render/diagnostics/diagnostics.h"

namespace {

std::string reports;  // grows only at start-up and on failures, never per frame

// Adds text as one line.
void keep(const std::string& text) {
  reports += text;
  if (text.empty() || text.back() != '\n') reports += '\n';
}

}  // namespace

// The title is implied: every report the renderer makes on the page stops or weakens it.
void showReport(const char*, const char* text) { keep(text); }

// The browser's own words, which the page shows under its sentence.
void keepShaderLog(const std::string& log) { keep(log); }

const std::string& keptReports() { return reports; }

void clearKeptReports() { reports.clear(); }
