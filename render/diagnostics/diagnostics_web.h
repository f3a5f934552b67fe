// WebGL 2: the renderer's reports are kept for the page to show, not printed.
#pragma once

#include <string>

// The text of the reports since the last clear, each ending in a line feed.
const std::string& keptReports();

// Forgets the kept reports (before a start).
void clearKeptReports();
