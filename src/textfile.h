#pragma once

#include <functional>
#include <ostream>

// The one way the program saves a text file.

// Replaces the text file `filename` with what `write` puts into a stream,
// all or nothing: the text goes to a new temporary file beside the file
// (named for this process, created only if nothing has that name, never
// through a link), is flushed to the disk, and is then renamed into place
// with the file's permissions; the directory is flushed after. A symbolic
// link at `filename` is followed and the file it points to is replaced, so
// the link stays a link. A read-only file is never replaced. Any failure is
// thrown as "Save error", with the file and the reason kept for
// errordetail, removes only the temporary file it made, and leaves an
// earlier file untouched.
void savetextfile(const char* filename, const std::function<void(std::ostream&)>& write);
