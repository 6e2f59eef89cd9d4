#pragma once

// Tells the user when a settings file could not be written: once for each file until a write of
// it succeeds again, so a folder that has turned read-only does not bring a box per click, and
// files that failed together are named in one box. The box comes once the operation that wrote
// has finished.
namespace WriteFailures {

void Install();
void Uninstall();
// The failures not yet told have just been told by the caller in its own words.
void MarkPendingReported();

} // namespace WriteFailures
