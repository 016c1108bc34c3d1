#include "doctor/Report.h"

#include <cstdio>

namespace doctor {
namespace {

// Length of the well-formed UTF-8 sequence at text[i], 0 if there is none.
std::size_t Utf8Length(const std::string& text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x6  ? 2
                             : (lead >> 4) == 0xe  ? 3
                             : (lead >> 3) == 0x1e ? 4
                                                   : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k)
    if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return 0;
  return length;
}

}  // namespace

const char* LevelName(TLevel level) {
  switch (level) {
    case TLevel::Ok:
      return "ok";
    case TLevel::Note:
      return "note";
    case TLevel::Problem:
      return "problem";
    case TLevel::Unchecked:
      return "unchecked";
  }
  return "note";
}

std::string FindingLine(const TFinding& finding) {
  std::string line = LevelName(finding.Level);
  line.resize(10, ' ');
  std::string port = finding.Port.empty() ? "-" : finding.Port;
  if (port.size() < 8) port.resize(8, ' ');
  line += port + " " + finding.Check + ": " + finding.Text;
  if (!finding.Fix.empty()) line += " -> fix: " + finding.Fix;
  return line;
}

std::string TextReport(const TFindings& findings) {
  std::string text;
  for (const TFinding& finding : findings) text += FindingLine(finding) + "\n";
  return text;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) {
      // A process name or model string may hold any bytes; JSON wants UTF-8.
      const std::size_t length = Utf8Length(text, i);
      out += length == 0 ? std::string("\\ufffd") : text.substr(i, length);
      if (length > 1) i += length - 1;
      continue;
    }
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7f) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string JsonReport(const TFindings& findings) {
  std::string json = "[";
  for (std::size_t i = 0; i < findings.size(); ++i) {
    const TFinding& f = findings[i];
    json += std::string(i == 0 ? "\n" : ",\n") + "  {\"check\":" + JsonString(f.Check) +
            ",\"port\":" + JsonString(f.Port) + ",\"level\":" + JsonString(LevelName(f.Level)) +
            ",\"text\":" + JsonString(f.Text) + ",\"fix\":" + JsonString(f.Fix) + "}";
  }
  return json + (findings.empty() ? "]\n" : "\n]\n");
}

}  // namespace doctor
