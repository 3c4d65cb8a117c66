#pragma once

// The project's version (from the build's project() line) and the commit the program was built
// from ("unknown" outside a git checkout), shared by every program and tool.
const char* projectVersion();
const char* buildCommit();

// True when the command line is exactly "PROGRAM --version".
bool versionRequested(int argc, const char* const* argv);
// Prints "PROGRAM VERSION (commit COMMIT)" on standard output and answers exit status 0.
int printVersion(const char* program);
