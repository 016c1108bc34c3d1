#include "doctor/UdevRules.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

namespace doctor {
namespace {

namespace fs = std::filesystem;

const char* const RulesDirs[] = {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/lib/udev/rules.d",
                                 "/lib/udev/rules.d"};

bool IsHex(const std::string& text) {
  return !text.empty() && text.size() <= 4 &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c); });
}

std::string Padded(std::string hex) {
  std::transform(hex.begin(), hex.end(), hex.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return std::string(4 - hex.size(), '0') + hex;
}

// The value of the first KEY=="value" whose key ends in name ({idVendor}).
std::optional<std::string> MatchValue(const std::string& rule, const std::string& name) {
  const std::regex pattern("\\{" + name + "\\}\\s*==\\s*\"([^\"]*)\"");
  std::smatch match;
  if (!std::regex_search(rule, match, pattern)) return std::nullopt;
  return match[1].str();
}

bool IsMasked(const fs::path& file) {
  std::error_code error;
  if (fs::is_symlink(file, error) && fs::read_symlink(file, error) == "/dev/null") return true;
  return fs::is_regular_file(file, error) && fs::file_size(file, error) == 0;
}

}  // namespace

std::optional<TUsbId> NormalUsbId(const std::string& vendor, const std::string& product) {
  if (!IsHex(vendor) || !IsHex(product)) return std::nullopt;
  return TUsbId{Padded(vendor), Padded(product)};
}

bool Covers(const TUsbId& rule, const TUsbId& device) {
  return rule.Vendor == device.Vendor && (rule.Product.empty() || rule.Product == device.Product);
}

std::optional<TUsbId> RuleUsbId(const std::string& rule, bool& unparsable) {
  unparsable = false;
  const auto vendor = MatchValue(rule, "idVendor");
  const auto product = MatchValue(rule, "idProduct");
  if (vendor || product) {
    auto id = vendor ? NormalUsbId(*vendor, product ? *product : "0") : std::nullopt;
    if (id && !product) id->Product.clear();
    unparsable = !id;
    return id;
  }
  if (const auto value = MatchValue(rule, "PRODUCT")) {
    // vendor/product/revision, the revision usually a wildcard.
    static const std::regex parts("([^/]*)/([^/]*)(/.*)?");
    std::smatch match;
    const auto id =
        std::regex_match(*value, match, parts) ? NormalUsbId(match[1], match[2]) : std::nullopt;
    unparsable = !id;
    return id;
  }
  unparsable =
      rule.find("idVendor") != std::string::npos || rule.find("idProduct") != std::string::npos;
  return std::nullopt;
}

std::vector<std::string> RulesFiles(const std::string& root) {
  std::map<std::string, fs::path> byName;  // first folder wins; sorted by name as udev reads
  for (const char* dir : RulesDirs) {
    std::error_code error;
    for (fs::directory_iterator it(root + dir, error), end; !error && it != end;
         it.increment(error)) {
      const std::string name = it->path().filename().string();
      if (name.size() > 6 && name.ends_with(".rules")) byName.emplace(name, it->path());
    }
  }
  std::vector<std::string> files;
  for (const auto& [name, path] : byName)
    if (!IsMasked(path)) files.push_back(path.string());
  return files;
}

TRuleScan ScanRules(const std::vector<std::string>& files,
                    const std::function<bool(const std::string& fileName)>& fileFilter,
                    const std::string& needle) {
  TRuleScan scan;
  for (const std::string& file : files) {
    if (fileFilter && !fileFilter(fs::path(file).filename().string())) continue;
    std::ifstream in(file);
    int number = 0, first = 0;
    std::string rule;
    for (std::string line; std::getline(in, line);) {
      ++number;
      if (rule.empty()) first = number;
      const bool continued = !line.empty() && line.back() == '\\';
      rule += continued ? line.substr(0, line.size() - 1) : line;
      if (continued) continue;
      const auto start = rule.find_first_not_of(" \t");
      if (start != std::string::npos && rule[start] != '#' &&
          (needle.empty() || rule.find(needle) != std::string::npos)) {
        bool unparsable = false;
        TRuleLine entry{file, first, rule, RuleUsbId(rule, unparsable)};
        (unparsable ? scan.Unparsable : scan.Rules).push_back(std::move(entry));
      }
      rule.clear();
    }
  }
  return scan;
}

std::string Where(const TRuleLine& rule, const std::string& root) {
  const std::string file =
      !root.empty() && rule.File.starts_with(root) ? rule.File.substr(root.size()) : rule.File;
  return file + ":" + std::to_string(rule.Line);
}

}  // namespace doctor
