#include "plugin/engines/resolve_link.h"

#include "support/text/ascii.h"

namespace engines {
namespace {

using Reference = LinkBase::Parts;

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsSchemeChar(char c) { return IsAlpha(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; }

Reference SplitReference(std::string_view s) {
  Reference r;
  if (!s.empty() && IsAlpha(s[0])) {
    size_t i = 1;
    while (i < s.size() && IsSchemeChar(s[i])) ++i;
    if (i < s.size() && s[i] == ':') {
      r.scheme = s.substr(0, i);
      r.hasScheme = true;
      s.remove_prefix(i + 1);
    }
  }
  if (s.substr(0, 2) == "//") {
    s.remove_prefix(2);
    const size_t end = s.find_first_of("/?#");
    r.authority = s.substr(0, end);
    r.hasAuthority = true;
    s.remove_prefix(r.authority.size());
  }
  if (const size_t hash = s.find('#'); hash != std::string_view::npos) {
    r.fragment = s.substr(hash + 1);
    r.hasFragment = true;
    s = s.substr(0, hash);
  }
  if (const size_t q = s.find('?'); q != std::string_view::npos) {
    r.query = s.substr(q + 1);
    r.hasQuery = true;
    s = s.substr(0, q);
  }
  r.path = s;
  return r;
}

bool IsWebScheme(std::string_view scheme) {
  return EqualsIgnoreCaseAscii(scheme, "http") || EqualsIgnoreCaseAscii(scheme, "https");
}

// A host names no blanks or control bytes; a link that gives one is no address.
bool UsableAuthority(std::string_view a) {
  if (a.empty()) return false;
  for (char c : a)
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f) return false;
  return true;
}

// Removes "." and ".." segments the way reference resolution does.
std::string RemoveDotSegments(std::string_view in) {
  if (in.find("/.") == std::string_view::npos && (in.empty() || in[0] != '.')) return std::string(in);
  std::string out;
  out.reserve(in.size());
  while (!in.empty()) {
    if (in.substr(0, 3) == "../") {
      in.remove_prefix(3);
    } else if (in.substr(0, 2) == "./") {
      in.remove_prefix(2);
    } else if (in.substr(0, 3) == "/./") {
      in.remove_prefix(2);
    } else if (in == "/.") {
      in = "/";
    } else if (in.substr(0, 4) == "/../" || in == "/..") {
      in = in.size() == 3 ? std::string_view("/") : in.substr(3);
      const size_t last = out.rfind('/');
      out.erase(last == std::string::npos ? 0 : last);
    } else if (in == "." || in == "..") {
      in = {};
    } else {
      const size_t next = in.find('/', 1);
      const std::string_view seg = in.substr(0, next);
      out += seg;
      in.remove_prefix(seg.size());
    }
  }
  return out;
}

bool HasDotSegments(std::string_view path) {
  return path.find("/.") != std::string_view::npos || (!path.empty() && path[0] == '.');
}

// One address from its pieces, built in place: the path is pathHead followed
// by pathTail, with "." and ".." segments removed when `removeDots`.
std::string Compose(std::string_view scheme, std::string_view authority, std::string_view pathHead,
                    std::string_view pathTail, bool removeDots, bool hasQuery, std::string_view query,
                    bool hasFragment, std::string_view fragment) {
  std::string t;
  t.reserve(scheme.size() + authority.size() + pathHead.size() + pathTail.size() + query.size() + fragment.size() +
            6);
  t.append(scheme).append("://").append(authority);
  const size_t pathStart = t.size();
  t.append(pathHead).append(pathTail);
  if (removeDots && HasDotSegments(std::string_view(t).substr(pathStart))) {
    const std::string path = RemoveDotSegments(std::string_view(t).substr(pathStart));
    t.resize(pathStart);
    t.append(path);
  }
  if (t.size() > pathStart && t[pathStart] != '/') t.insert(pathStart, 1, '/');
  if (hasQuery) t.append("?").append(query);
  if (hasFragment) t.append("#").append(fragment);
  return t;
}

// Tabs and line breaks inside a link are dropped and blanks around it
// trimmed, as browsers read an attribute's address. The result views `link`,
// or `scratch` when something had to be dropped.
std::string_view CleanLink(std::string_view link, std::string& scratch) {
  if (link.find_first_of("\t\n\r") != std::string_view::npos) {
    scratch.clear();
    scratch.reserve(link.size());
    for (char c : link)
      if (c != '\t' && c != '\n' && c != '\r') scratch += c;
    link = scratch;
  }
  const size_t first = link.find_first_not_of(" \f");
  if (first == std::string_view::npos) return {};
  const size_t last = link.find_last_not_of(" \f");
  return link.substr(first, last - first + 1);
}

std::string CleanLink(std::string_view link) {
  std::string scratch;
  return std::string(CleanLink(link, scratch));
}

// A link whose resolution only appends it to the page's directory (or, from
// a "/", to its origin): no scheme, authority, query or fragment, nothing to
// drop or trim, no dot segment. A colon anywhere is left to the full rules.
bool IsPlainPath(std::string_view link) {
  if (link.empty()) return false;
  const char first = link.front(), last = link.back();
  if (first == '.' || first == ' ' || first == '\f' || last == ' ' || last == '\f') return false;
  if (first == '/' && link.size() > 1 && link[1] == '/') return false;
  char previous = 0;
  for (const char c : link) {
    switch (c) {
      case ':':
      case '?':
      case '#':
      case '\t':
      case '\n':
      case '\r':
        return false;
      case '.':
        if (previous == '/') return false;
        break;
      default:
        break;
    }
    previous = c;
  }
  return true;
}

}  // namespace

LinkBase::LinkBase(std::string_view pageAddress) : page_(CleanLink(pageAddress)) {
  base_ = SplitReference(page_);
  basePath_ = RemoveDotSegments(base_.path);
  base_.path = basePath_;
  usable_ = base_.hasScheme && IsWebScheme(base_.scheme) && base_.hasAuthority && UsableAuthority(base_.authority);
  if (!usable_) return;
  const std::string_view head =
      base_.path.empty() ? std::string_view("/") : base_.path.substr(0, base_.path.rfind('/') + 1);
  directory_.append(base_.scheme).append("://").append(base_.authority);
  originLength_ = directory_.size();
  directory_.append(head);
  plainPaths_ = !head.empty() && head[0] == '/' && !HasDotSegments(head);
}

bool LinkBase::ResolveInto(std::string_view link, std::string& out) const {
  if (usable_ && IsPlainPath(link)) {
    if (link[0] == '/') {
      out.append(directory_, 0, originLength_).append(link);
      return true;
    }
    if (plainPaths_) {
      out.append(directory_).append(link);
      return true;
    }
  }
  std::optional<std::string> address = ResolveByParts(link);
  if (!address) return false;
  out += *address;
  return true;
}

std::optional<std::string> LinkBase::Resolve(std::string_view link) const {
  if (usable_ && IsPlainPath(link)) {
    std::string address;
    address.reserve(directory_.size() + link.size());
    ResolveInto(link, address);
    return address;
  }
  return ResolveByParts(link);
}

std::optional<std::string> LinkBase::ResolveByParts(std::string_view rawLink) const {
  std::string scratch;
  const std::string_view link = CleanLink(rawLink, scratch);
  const Reference r = SplitReference(link);
  if (r.hasScheme) {
    if (!IsWebScheme(r.scheme) || !r.hasAuthority || !UsableAuthority(r.authority)) return std::nullopt;
    return Compose(r.scheme, r.authority, r.path, {}, true, r.hasQuery, r.query, r.hasFragment, r.fragment);
  }
  if (!usable_) return std::nullopt;
  const Reference& b = base_;
  if (r.hasAuthority) {
    if (!UsableAuthority(r.authority)) return std::nullopt;
    return Compose(b.scheme, r.authority, r.path, {}, true, r.hasQuery, r.query, r.hasFragment, r.fragment);
  }
  if (r.path.empty()) {
    return Compose(b.scheme, b.authority, b.path, {}, false, r.hasQuery || b.hasQuery, r.hasQuery ? r.query : b.query,
                   r.hasFragment, r.fragment);
  }
  std::string_view head;
  if (r.path[0] == '/') {
    head = {};
  } else if (b.path.empty()) {
    head = "/";
  } else {
    head = b.path.substr(0, b.path.rfind('/') + 1);
  }
  return Compose(b.scheme, b.authority, head, r.path, true, r.hasQuery, r.query, r.hasFragment, r.fragment);
}

std::optional<std::string> ResolveLink(std::string_view pageAddress, std::string_view link) {
  return LinkBase(pageAddress).Resolve(link);
}

}  // namespace engines
