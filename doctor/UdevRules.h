#pragma once
// Reading udev rules files leniently: which rules name a USB vendor:product
// (ATTRS{idVendor}/ATTRS{idProduct}, or ENV{PRODUCT}=="vvvv/pppp/*"), and
// which set a given assignment. A line that names an id the reader cannot
// make out is reported, and reading goes on.
// Plain functions; any thread.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace doctor {

struct TUsbId {
  std::string Vendor, Product;  // four lower-case hex digits each; a rule's Product may be
                                // empty: every product of the vendor
  bool operator==(const TUsbId&) const = default;
};

// Whether a rule's id takes in the device's.
bool Covers(const TUsbId& rule, const TUsbId& device);

// "1A86" and "1a86" and "a86" compare alike; nullopt unless both are hex.
std::optional<TUsbId> NormalUsbId(const std::string& vendor, const std::string& product);

struct TRuleLine {
  std::string File;  // path as read
  int Line = 0;      // first line of the rule, from 1
  std::string Text;  // the rule with continuations joined
  std::optional<TUsbId> Id;
};

struct TRuleScan {
  std::vector<TRuleLine> Rules;       // the rules that matched the filter
  std::vector<TRuleLine> Unparsable;  // rules naming an id that could not be read
};

// The id a rule names. unparsable is set when it names one badly.
std::optional<TUsbId> RuleUsbId(const std::string& rule, bool& unparsable);

// The rules files udev reads under root, one per file name: /etc before
// /run before /usr/lib before /lib; a file masked in an earlier folder (a
// link to /dev/null, or empty) hides the later ones and is left out.
std::vector<std::string> RulesFiles(const std::string& root);

// The rules of the files whose name passes fileFilter that contain needle
// (every rule when needle is empty).
TRuleScan ScanRules(const std::vector<std::string>& files,
                    const std::function<bool(const std::string& fileName)>& fileFilter,
                    const std::string& needle);

// "/usr/lib/udev/rules.d/85-brltty.rules:12"
std::string Where(const TRuleLine& rule, const std::string& root);

}  // namespace doctor
