#pragma once

#include <string>

// A stream socket connected to the local socket at `path`, or -1 when nothing listens there.
int connectUnixSocket(const std::string& path);
