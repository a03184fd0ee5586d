#pragma once
// The pipeline's report upward: a change started or ended. The tray implements
// it to animate its icon; the pipeline alone knows whether a change runs.
class ChangeListener {
 public:
  virtual ~ChangeListener() = default;
  virtual void OnChangeStarted() = 0;
  virtual void OnChangeEnded() = 0;
};
