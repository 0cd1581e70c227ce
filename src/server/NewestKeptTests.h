// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CNewestKeptTests: the newest kept test of each login, as FILE testdb hands it out, found
// without reading the login's folder at each download. The name found is kept with the
// folder's identity (FileIdentity), and used while the folder stays the same: a test kept,
// removed or renamed in it changes the folder. A folder changed within the settle time is
// read at each download, as a later change could leave it the same identity.
#include <string>
#include <unordered_map>

#include "common/FileIdentity.h"
#include "common/Mutex.h"

namespace orvane {

class CNewestKeptTests {
public:
    // The one set of the process, for the folders of kept tests below the working folder.
    static CNewestKeptTests& Shared();

    // The name of the newest kept test in `folder` (a login's folder of kept tests); empty
    // when it holds none or does not exist.
    std::string NewestIn(const std::string& folder);

private:
    struct Found {
        FileIdentity identity;
        std::string newest;
    };

    CMutex mutex;
    std::unordered_map<std::string, Found> found GUARDED_BY(mutex);  // by folder
};

}  // namespace orvane
