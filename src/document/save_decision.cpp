#include "document/save_decision.h"

namespace perchlet {

namespace {

DiskVersion versionOnDisk(const FileStamp& known, const DiskFileNow& now) {
    if (!known.known || !now.stamp.exists) return DiskVersion::Ours;
    if (!now.hash) return DiskVersion::Unreadable;
    if (*now.hash != known.hash || now.stamp.size != known.size) return DiskVersion::Changed;
    return DiskVersion::Ours;
}

}  // namespace

SaveDecision decideBeforeSave(const FileStamp& known, const DiskFileNow& now) {
    return {versionOnDisk(known, now), now.stamp.exists && now.readOnly};
}

}  // namespace perchlet
