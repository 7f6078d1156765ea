#pragma once

#include <functional>
#include <ostream>

// The one way the program saves a text file.

// Replaces the text file `filename` with what `write` puts into a stream,
// all or nothing: the text goes to a temporary file beside the file, which
// is then renamed into place with the file's permissions. A symbolic link
// is followed and the file it points to is replaced, so the link stays a
// link. A read-only file is never replaced. Any failure is thrown as "Save
// error", with the file and the reason kept for errordetail, and leaves an
// earlier file untouched.
void savetextfile(const char* filename, const std::function<void(std::ostream&)>& write);
