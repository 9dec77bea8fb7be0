#pragma once

#include "tests/support/DataColumns.h"
#include "vantrel32/DevicePath.h"

#include <QList>
#include <QString>

namespace quillon::testing {

// Who may do what with a device, as the first columns of a data table: the device's owner,
// group, group name and mode bits (as stat() gives them), the user who looks at it and the
// user's groups. A suite adds its own result columns after these.
inline void AddDeviceAccessColumns() {
    AddColumns<uint, uint, QString, uint, uint, QList<uint>>(
        {"owner", "group", "groupName", "mode", "user", "userGroups"});
}

// The access the current row describes.
inline link::DevicePath::Access FetchDeviceAccess() {
    QFETCH(uint, owner);
    QFETCH(uint, group);
    QFETCH(QString, groupName);
    QFETCH(uint, mode);
    QFETCH(uint, user);
    QFETCH(QList<uint>, userGroups);
    link::DevicePath::Access access;
    access.owner = owner;
    access.group = group;
    access.groupName = groupName;
    access.mode = mode;
    access.user = user;
    access.userGroups.assign(userGroups.begin(), userGroups.end());
    return access;
}

} // namespace quillon::testing
