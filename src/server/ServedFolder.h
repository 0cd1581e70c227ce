// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folder that the server serves is its working directory, remembered by its path when
// remote access is switched on. A folder that is deleted and put back while the server runs
// (restored from a backup, say) is a new folder under the old path; the working directory
// would stay the deleted one, and every file would be missing until a restart. Before each new
// session the server looks, and goes back to the folder under the path when it has changed.
namespace orvane {

// Remembers the working directory as the served folder.
void RememberServedFolder();
// Makes the folder under the remembered path the working directory again when it is not;
// says so in the log, once each time the folder goes and comes back.
void ReturnToServedFolder();

}  // namespace orvane
