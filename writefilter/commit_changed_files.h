#pragma once

/// Step 5: when the write filter protects the volume in this session, commits the four files so
/// that the conversion survives a restart. Succeeds without a commit when it does not.
bool CommitChangedFiles();
