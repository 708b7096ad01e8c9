#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "e2e_support.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--perchlet=", 11) == 0)
            perchlet::e2e::options().perchletExe = perchlet::e2e::windowsPath(argv[i] + 11);
        else if (std::strncmp(argv[i], "--artifacts=", 12) == 0)
            perchlet::e2e::options().artifacts = perchlet::e2e::windowsPath(argv[i] + 12);
    }
    if (!perchlet::e2e::options().artifacts.empty())
        CreateDirectoryW(perchlet::e2e::options().artifacts.c_str(), nullptr);
    return RUN_ALL_TESTS();
}
