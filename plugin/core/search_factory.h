#pragma once
// What the control thread needs from the search objects above it: the objects
// for a web address, and the keyword engines for the table. The DLL's entry
// code hands SearchLink one implementation, so the core never names a search
// class and the search folders may build on the core.
#include <memory>

class EngineTable;
class SearchThread;

class SearchFactory {
 public:
  virtual ~SearchFactory() = default;
  // A web address that serves one image.
  virtual std::unique_ptr<SearchThread> ForImage() const = 0;
  // A web address that serves an HTML page of links.
  virtual std::unique_ptr<SearchThread> ForPage() const = 0;
  // Appends the keyword engines after "User URL", with their factories.
  virtual void RegisterEngines(EngineTable& table) const = 0;
};
