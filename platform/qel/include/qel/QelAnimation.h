#pragma once
// Animations: 'tmap' slides an element's margins and size to a target, or
// drives an effect; 'tesf' is a fade effect over two targets (the first out,
// the second in) whose value follows its key frames. A run lasts `rate`
// seconds in `steps` steps, on the toolkit's timers; on the headless backend
// it ends at once unless the manual clock is on. At the end the notification
// element (if any) receives the end event through its callback, after the
// last step is applied.
#include <cstdint>

#include "qel/QelElement.h"

namespace qel {

class QEL_API Animation : public Object {
 public:
  explicit Animation(uint32_t kind);

  void SetName(std::string n) { name_ = std::move(n); }
  const std::string& Name() const { return name_; }
  void SetRate(double rate) { rate_ = rate; }
  void SetSteps(int32_t steps) { steps_ = steps > 0 ? steps : 1; }
  int32_t Steps() const { return steps_; }
  // Targets: index 0 and 1 (the fade uses both, the slide the first).
  void SetTarget(int index, Element* e);
  // Slide goal (margins and frame size).
  void SetGoal(const SRect32& margin, SIZE size);
  // Fade key frames: the second target's opacity goes from `from` to `to`
  // over the run (the first target's the other way).
  void SetKeyFrames(double from, double to);
  // Key frame 0 or 1 of a fade: its value at `seconds` into the run; the
  // value holds before the first frame and after the second.
  void SetKeyFrame(int index, double seconds, double value);
  // The fade value `seconds` into a run.
  double EffectValueAt(double seconds) const;
  // A switch: this 'tmap' runs the 'tesf' effect (held) instead of sliding.
  void SetEffect(Animation* effect);
  Animation* Effect() const { return effect_; }
  void SetEndNotify(Element* e, int32_t event);

  bool Start();
  void Stop();
  bool Running() const { return running_; }

  intptr_t Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) override;

 protected:
  ~Animation() override;

 private:
  static void Tick(void* owner, uint32_t id, void* data);
  void Step();
  void Apply(double t);
  void ApplyEffect(double seconds);
  void Finish();

  std::string name_;
  double rate_ = 0.5;
  int32_t steps_ = 30;
  int32_t done_ = 0;
  Element* targets_[2] = {nullptr, nullptr};
  SRect32 from_margin_{}, goal_margin_{};
  SIZE from_size_{}, goal_size_{};
  double key_time_[2] = {0.0, -1.0};  // -1: the end of the run
  double key_value_[2] = {0.0, 1.0};
  Animation* effect_ = nullptr;
  Element* notify_ = nullptr;
  int32_t notify_event_ = 0;
  bool running_ = false;
};

// Animation methods on QEL_IF_ANIMATION (our own numbering).
enum AnimationMethod : int32_t {
  kAnimSetTarget = 1,    // w index, l element
  kAnimSetGoal = 2,      // w SRect32* margin, l SIZE*
  kAnimSetKeyFrames = 3, // w double* from, l double* to
  kAnimSetSteps = 4,     // w steps
  kAnimSetNotify = 5,    // w event, l element
  kAnimStart = 6,
  kAnimStop = 7,
  kAnimIsRunning = 8,
  kAnimSetKeyFrame = 9,  // w index, l double[2] {seconds, value}
  kAnimSetEffect = 10,   // l the 'tesf' effect
};

}  // namespace qel
