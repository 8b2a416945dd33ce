#pragma once
// How Encapsulated PostScript is rendered: by the Ghostscript program, run as
// a separate process (never linked), with a time limit.
#include <string>

namespace pm {

// The program to run; by default "gs", looked up in PATH. An empty name
// turns rendering off, leaving only the preview images of DOS EPS files.
void SetGhostscriptProgram(const std::string& program);
std::string GhostscriptProgram();

// Seconds a rendering may take before the program is killed (30 unless set).
void SetGhostscriptTimeout(int seconds);
int GhostscriptTimeout();

} // namespace pm
