#include "modos/ArchivoIni.hpp"

#include <optional>
#include <vector>

#include "store/errors.hpp"
#include "store/os/paths.hpp"
#include "store/os/replacing.hpp"
#include "store/text.hpp"

namespace vestran {

namespace {

struct Line {
  std::string_view content;  // without its line ending
  std::string_view ending;   // "\r\n", "\n" or "" for a last line without one
};

std::vector<Line> splitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t newline = text.find('\n', start);
    if (newline == std::string_view::npos) {
      lines.push_back({text.substr(start), ""});
      break;
    }
    const bool crlf = newline > start && text[newline - 1] == '\r';
    const std::size_t end = crlf ? newline - 1 : newline;
    lines.push_back({text.substr(start, end - start), text.substr(end, newline + 1 - end)});
    start = newline + 1;
  }
  return lines;
}

// The section a line opens, if it is a section header.
std::optional<std::string> sectionOf(std::string_view line) {
  const std::string t = trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  const std::size_t close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return trim(std::string_view(t).substr(1, close - 1));
}

// The key of a "key=value" line, if it is one (comments are not).
std::optional<std::string> keyOf(std::string_view line) {
  const std::string t = trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '#') return std::nullopt;
  const std::size_t equals = t.find('=');
  if (equals == std::string::npos) return std::nullopt;
  return trim(std::string_view(t).substr(0, equals));
}

bool sameName(std::string_view a, std::string_view b) { return asciiLower(a) == asciiLower(b); }

}  // namespace

std::string textoConValorIni(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value) {
  const std::vector<Line> lines = splitLines(text);
  // New lines follow the file's own line endings; a new file gets Windows ones.
  std::string ending = "\r\n";
  for (const Line& l : lines) {
    if (!l.ending.empty()) {
      ending = std::string(l.ending);
      break;
    }
  }
  const std::string entry = std::string(key) + "=" + std::string(value);

  bool inSection = false;
  std::optional<std::size_t> sectionEnd;  // the index after the section's last non-blank line
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (const auto s = sectionOf(lines[i].content)) {
      if (inSection) break;
      inSection = sameName(*s, section);
      if (inSection) sectionEnd = i + 1;
      continue;
    }
    if (!inSection) continue;
    if (!trim(lines[i].content).empty()) sectionEnd = i + 1;
    if (const auto k = keyOf(lines[i].content); k && sameName(*k, key)) {
      std::string out;
      for (std::size_t j = 0; j < lines.size(); ++j) {
        if (j == i) {
          // The key keeps its own spelling and indentation.
          const std::size_t equals = lines[j].content.find('=');
          out += std::string(lines[j].content.substr(0, equals)) + "=" + std::string(value);
        } else {
          out += lines[j].content;
        }
        out += lines[j].ending;
      }
      return out;
    }
  }

  std::string out;
  const std::size_t insertAt = sectionEnd.value_or(lines.size());
  for (std::size_t j = 0; j < lines.size(); ++j) {
    if (j == insertAt) out += entry + ending;
    out += lines[j].content;
    // A last line without an ending gets one when something follows it.
    out +=
        lines[j].ending.empty() && j + 1 == insertAt ? std::string_view(ending) : lines[j].ending;
  }
  if (insertAt == lines.size()) {
    if (!sectionEnd) out += "[" + std::string(section) + "]" + ending;
    out += entry + ending;
  }
  return out;
}

void escribirValorIni(const std::filesystem::path& file, std::string_view section,
                      std::string_view key, std::string_view value) {
  std::string text;
  std::error_code ec;
  if (std::filesystem::exists(file, ec)) {
    try {
      text = os::readWholeFile(file);
    } catch (const os::FileError& e) {
      throw ArchivoIniError("No se pudo leer el archivo de estado: " + std::string(e.what()),
                            {.file = file});
    }
  }
  try {
    os::writeFileAtomically(file, textoConValorIni(text, section, key, value), os::AtLink::follow);
  } catch (const os::FileError& e) {
    throw ArchivoIniError("No se pudo escribir el archivo de estado: " + std::string(e.what()),
                          {.file = file});
  }
}

}  // namespace vestran
