#pragma once
// Links of a page made absolute by the standard reference-resolution rules.
#include <optional>
#include <string>
#include <string_view>

namespace engines {

// `link` resolved against the address of the page it was found on. Only
// "http" and "https" results come back: a link with another scheme
// ("javascript:", "mailto:", "data:"), or a relative link on a page whose own
// address is not http(s), gives nullopt. Blanks around the link are ignored.
std::optional<std::string> ResolveLink(std::string_view pageAddress, std::string_view link);

// The same, with the page address read once for all the links of a page.
class LinkBase {
 public:
  explicit LinkBase(std::string_view pageAddress);
  LinkBase(const LinkBase&) = delete;  // holds views into its own text
  LinkBase& operator=(const LinkBase&) = delete;
  std::optional<std::string> Resolve(std::string_view link) const;
  // Appends the resolved address to `out`; false (and `out` untouched) when
  // Resolve would give nullopt. A gallery page resolves every link it keeps,
  // so the common shapes are built here without a string of their own.
  bool ResolveInto(std::string_view link, std::string& out) const;

  // The pieces of a reference, as views into the text it was split from.
  struct Parts {
    std::string_view scheme, authority, path, query, fragment;
    bool hasScheme = false, hasAuthority = false, hasQuery = false, hasFragment = false;
  };

 private:
  std::optional<std::string> ResolveByParts(std::string_view link) const;

  std::string page_;
  std::string basePath_;  // the page's path without "." and ".." segments
  Parts base_;
  bool usable_ = false;  // an http(s) address with a host
  // "scheme://authority" and the page's directory after it, for links that
  // are a plain path: appending such a link is all its resolution does.
  std::string directory_;
  size_t originLength_ = 0;
  bool plainPaths_ = false;  // the directory has no "/." that would need a second look
};

}  // namespace engines
