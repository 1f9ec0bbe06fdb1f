#pragma once

#include <QFileDevice>

// What the board writes (its log, its settings, the shared settings) is for its user and the
// board's group alone: mode 0660, whatever umask the board was started with.
void useBoardFileMode();

constexpr QFileDevice::Permissions boardFilePermissions = QFileDevice::ReadOwner
    | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser
    | QFileDevice::ReadGroup | QFileDevice::WriteGroup;
