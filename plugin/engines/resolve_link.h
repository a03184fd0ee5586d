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

  // The pieces of a reference, as views into the text it was split from.
  struct Parts {
    std::string_view scheme, authority, path, query, fragment;
    bool hasScheme = false, hasAuthority = false, hasQuery = false, hasFragment = false;
  };

 private:
  std::string page_;
  std::string basePath_;  // the page's path without "." and ".." segments
  Parts base_;
  bool usable_ = false;  // an http(s) address with a host
};

}  // namespace engines
