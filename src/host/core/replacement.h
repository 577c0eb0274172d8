#pragma once
// Crash-safe replacement of one file, shared by every writer of whole files
// (the host's file services, the spreadsheet export): a crash or a full disk
// leaves either the old content or the new one, never a truncated file.

#include <string>

namespace luckdial {

/// The new bytes go to a temporary file beside the target, with the old file's
/// owner and mode, reach the disk, and are renamed over the old name. Until
/// commit() succeeds the old file is untouched; a replacement that is not
/// committed removes its temporary.
class FileReplacement {
public:
    /// Refuses (ok() is false) a path without a file name, a folder or other
    /// non-regular file, and a write-protected file: a rename would replace a
    /// file its owner protected, which a direct write refuses, so the mode bits
    /// decide even for root. A symbolic link keeps its place and the file it
    /// points to is replaced.
    explicit FileReplacement(const std::string& native);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    /// The temporary exists and may be written.
    bool ok() const { return !temp_.empty(); }
    /// Open on the temporary until closeTemporary() or commit(); -1 when refused.
    int fd() const { return fd_; }
    const std::string& temporaryPath() const { return temp_; }
    /// Closes the temporary's descriptor, for writers that open it by name.
    bool closeTemporary();
    /// Syncs the temporary, renames it into place and syncs the folder (best
    /// effort: some file systems cannot). False, with the temporary removed,
    /// when any step fails.
    bool commit();
    /// Why the replacement was refused or failed, in English, for a log.
    const std::string& why() const { return why_; }

private:
    bool fail(const std::string& why);

    std::string target_;
    std::string dir_;
    std::string temp_;
    std::string why_;
    int fd_ = -1;
};

} // namespace luckdial
