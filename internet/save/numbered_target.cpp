#include "internet/save/save_name.h"

std::optional<std::string> NumberedSaveTarget(std::string_view folder, std::string_view name,
                                              const std::function<bool(const std::string&)>& exists,
                                              int maxTries) {
  // Without a folder the file would land in whatever the current folder is.
  if (folder.empty() || name.empty()) return std::nullopt;
  std::string prefix(folder);
  if (prefix.back() != '\\' && prefix.back() != '/') prefix.push_back('\\');

  std::string target = prefix + std::string(name);
  if (!exists(target)) return target;

  const size_t dot = name.rfind('.');
  const std::string_view base = name.substr(0, dot);
  const std::string_view extension = dot == std::string_view::npos ? std::string_view() : name.substr(dot);
  for (int n = 1; n <= maxTries; ++n) {
    target = prefix;
    target.append(base).append("(").append(std::to_string(n)).append(")").append(extension);
    if (!exists(target)) return target;
  }
  return std::nullopt;
}
