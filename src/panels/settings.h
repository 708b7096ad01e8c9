// The values of inifile.ini as the program holds them while it runs.
#pragma once
#include <string>

namespace perchlet {

struct Settings {
    bool topMost = true;
    bool autoHide = false;
    int alignment = 0;
    int backupFile = 0;
    int defaultBrowser = 0;
    std::string dataPath;
    std::string browserPath[3];
    std::string mainX, mainY, mainWidth, mainHeight;
    std::string browserX, browserY, browserWidth, browserHeight;
    bool mainWidthMax = false, mainHeightMax = false;
    bool browserWidthMax = false, browserHeightMax = false;
};

}  // namespace perchlet
