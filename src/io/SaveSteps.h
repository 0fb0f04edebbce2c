#pragma once

// The steps of a write of src/io, each made through stepCall, so that a test
// build can see them in order, fail one with an error, or stop the process at
// one. The shipped programs are built without KESTRUN_SAVE_FAULTS: there
// stepCall is the call itself. For the writers of src/io only.

#include <cerrno>

namespace kestrun::detail {

enum class SaveStep {
    CheckAccess,     // may the file be written (faccessat)
    CreateTemporary, // the temporary beside the file, or an unnamed one
    SetOwner,
    SetMode,
    SetAttributes, // the extended attributes: the access ACL, set or removed, and others
    SetFlags,      // the inode flags (chattr)
    Write,         // the new content into the temporary
    CopyTail,      // the old file opened for the copy of its tail
    SyncTemporary,
    Rename,
    SyncFolder,
    InPlaceOpen, // the file itself opened for an in-place write
    InPlaceWrite,
    InPlaceTruncate,
    InPlaceSync,
};

#ifdef KESTRUN_SAVE_FAULTS
// The test build's hook (io/SaveFaults.h): 0, or an errno the step fails with.
int reachSaveStep(SaveStep step);
#else
constexpr int reachSaveStep(SaveStep)
{
    return 0;
}
#endif

// `call()` (a system call answering -1 with errno on failure), made as the
// step `step`.
template<typename Call>
auto stepCall(SaveStep step, Call &&call) -> decltype(call())
{
    if (const int injected = reachSaveStep(step)) {
        errno = injected;
        return -1;
    }
    return call();
}

} // namespace kestrun::detail
