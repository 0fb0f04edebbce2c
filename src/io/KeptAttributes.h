#pragma once

// What a file's replacement keeps of it besides its content: owner, group,
// mode, extended attributes and inode flags. For the writers of src/io only.

#include "FileTarget.h"

#ifdef Q_OS_UNIX

namespace kestrun::detail {

// Gives the new file `fd` the owner, group, mode, extended attributes (the
// access ACL, user attributes such as tags) and inode flags (chattr +d, +A,
// ...) of the old file, and no access ACL when the old file had none, even
// where the folder's default ACL gave the new one an ACL. False when one of
// them could not be given; a user may not give a file away, and then gets the
// group alone where the user is a member of it.
bool keepOwnerModeAndAttributes(int fd, const Target &old);

} // namespace kestrun::detail

#endif
