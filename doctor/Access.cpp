#include "doctor/Access.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace doctor {
namespace {

constexpr mode_t ReadWrite = 06;  // in the "other" position; shifted for owner and group

bool Allows(mode_t mode, int shift) { return ((mode >> shift) & ReadWrite) == ReadWrite; }

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  if (!text.empty() && text.back() == separator) parts.emplace_back();
  return parts;
}

const TGroup* GroupWithId(const std::vector<TGroup>& groups, gid_t gid) {
  const auto found =
      std::find_if(groups.begin(), groups.end(), [gid](const TGroup& g) { return g.Gid == gid; });
  return found == groups.end() ? nullptr : &*found;
}

std::string GroupName(const std::vector<TGroup>& groups, gid_t gid) {
  const TGroup* group = GroupWithId(groups, gid);
  return group != nullptr ? group->Name : std::to_string(gid);
}

bool Contains(const std::vector<gid_t>& ids, gid_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::string ModeText(mode_t mode) {
  std::string text = S_ISCHR(mode) ? "c" : S_ISLNK(mode) ? "l" : S_ISDIR(mode) ? "d" : "-";
  const char* letters = "rwxrwxrwx";
  for (int bit = 0; bit < 9; ++bit) text += (mode & (0400 >> bit)) ? letters[bit] : '-';
  return text;
}

}  // namespace

std::vector<TGroup> ReadGroupFile(const std::string& path, bool* readable) {
  std::vector<TGroup> groups;
  std::ifstream in(path);
  if (readable != nullptr) *readable = static_cast<bool>(in);
  for (std::string line; std::getline(in, line);) {
    const std::vector<std::string> fields = Split(line, ':');
    if (fields.size() < 3 || fields[0].empty()) continue;
    char* end = nullptr;
    errno = 0;
    const unsigned long gid = std::strtoul(fields[2].c_str(), &end, 10);
    if (errno != 0 || end == fields[2].c_str() || *end != '\0') continue;
    TGroup group{fields[0], static_cast<gid_t>(gid), {}};
    if (fields.size() > 3)
      for (const std::string& member : Split(fields[3], ','))
        if (!member.empty()) group.Members.push_back(member);
    groups.push_back(std::move(group));
  }
  return groups;
}

std::string DescribeNode(const TNodeStatus& node, const std::vector<TGroup>& groups) {
  return ModeText(node.Mode) + " " + (node.Uid == 0 ? "root" : std::to_string(node.Uid)) + ":" +
         GroupName(groups, node.Gid);
}

TFinding AccessFinding(const std::string& port, const std::string& devnode, const TNodeStatus& node,
                       const TUser& user, const std::vector<TGroup>& groups) {
  const std::string where = devnode + " (" + DescribeNode(node, groups) + ")";
  const std::string group = GroupName(groups, node.Gid);
  TFinding finding{"access", port, TLevel::Ok, "", ""};
  if (user.Uid == 0) {
    finding.Text = "root may open " + where;
  } else if (node.Uid == user.Uid && Allows(node.Mode, 6)) {
    finding.Text = "you own " + where;
  } else if (Contains(user.SessionGroups, node.Gid) && Allows(node.Mode, 3)) {
    finding.Text = "you may open " + where + " as a member of " + group;
  } else if (Allows(node.Mode, 0)) {
    finding.Text = "anyone may open " + where;
  } else if (!Allows(node.Mode, 3)) {
    finding.Level = TLevel::Problem;
    finding.Text = "the mode of " + where + " lets you neither read nor write it";
  } else {
    const TGroup* entry = GroupWithId(groups, node.Gid);
    const bool listed = entry != nullptr && std::find(entry->Members.begin(), entry->Members.end(),
                                                      user.Name) != entry->Members.end();
    finding.Level = TLevel::Problem;
    if (listed) {
      finding.Text = "you are in " + group + " in /etc/group but not in this login session, so " +
                     "you may not open " + where + " yet";
      finding.Fix = "log out and in again (or run `newgrp " + group + "` in this shell)";
    } else {
      finding.Text =
          "you (" + user.Name + ") are not in the group " + group + ", which may open " + where;
      finding.Fix = "sudo usermod -aG " + group + " \"$USER\", then log out and in again";
    }
  }
  return finding;
}

TFinding CheckAccess(const TSystemView& view, const std::string& port, const std::string& devnode) {
  struct stat info {};
  if (::stat(devnode.c_str(), &info) != 0)
    return {"access", port, TLevel::Unchecked,
            "could not check who may open " + devnode + ": " + std::strerror(errno), ""};
  bool readable = false;
  const std::vector<TGroup> groups = ReadGroupFile(view.Path("/etc/group"), &readable);
  TFinding finding =
      AccessFinding(port, devnode, {info.st_uid, info.st_gid, info.st_mode}, view.User, groups);
  if (!readable && finding.Level == TLevel::Problem)
    finding.Text += " (could not read " + view.Path("/etc/group") + ")";
  return finding;
}

}  // namespace doctor
