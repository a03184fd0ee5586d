#pragma once
// The search objects the plug-in ships: single images, pages of links and
// the keyword engines.
#include "plugin/core/search_factory.h"

class BuiltInSearchFactory final : public SearchFactory {
 public:
  std::unique_ptr<SearchThread> ForImage() const override;
  std::unique_ptr<SearchThread> ForPage() const override;
  void RegisterEngines(EngineTable& table) const override;
};
