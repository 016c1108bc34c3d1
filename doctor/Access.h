#pragma once
// May this user open a device node? Owner, group and mode against the
// groups of this login session, with "listed in /etc/group but not in this
// session" (log in again) told apart from "not in the group" (usermod).
// Plain functions; any thread.

#include <string>
#include <sys/types.h>
#include <vector>

#include "doctor/Finding.h"
#include "doctor/SystemView.h"

namespace doctor {

struct TGroup {
  std::string Name;
  gid_t Gid = 0;
  std::vector<std::string> Members;
};

// The lines "name:password:gid:member,member" of a group file; malformed
// lines are left out. Nothing when the file cannot be read.
std::vector<TGroup> ReadGroupFile(const std::string& path, bool* readable = nullptr);

struct TNodeStatus {
  uid_t Uid = 0;
  gid_t Gid = 0;
  mode_t Mode = 0;
};

// "crw-rw---- root:dialout"
std::string DescribeNode(const TNodeStatus& node, const std::vector<TGroup>& groups);

// The "access" finding for port's node devnode.
TFinding AccessFinding(const std::string& port, const std::string& devnode, const TNodeStatus& node,
                       const TUser& user, const std::vector<TGroup>& groups);

// Stats devnode (following links) and judges it; "could not check" when the
// node cannot be read.
TFinding CheckAccess(const TSystemView& view, const std::string& port, const std::string& devnode);

}  // namespace doctor
