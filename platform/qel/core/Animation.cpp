#include "qel/QelAnimation.h"

#include <algorithm>
#include <cmath>

#include "qel/QelBackend.h"
#include "qel/QelTimer.h"

namespace qel {

namespace {
constexpr uint32_t kTimerId = 60;

int32_t Lerp(int32_t a, int32_t b, double t) {
  return int32_t(std::llround(a + (double(b) - a) * t));
}

void Hold(Element*& slot, Element* e) {
  if (e) e->Retain();
  if (slot) slot->Release();
  slot = e;
}
}  // namespace

Animation::Animation(uint32_t kind) : Object(kind) {}

Animation::~Animation() {
  QelRemoveTimersOf(this);
  if (effect_) effect_->Release();
  Hold(targets_[0], nullptr);
  Hold(targets_[1], nullptr);
  Hold(notify_, nullptr);
}

void Animation::SetTarget(int index, Element* e) {
  if (index == 0 || index == 1) Hold(targets_[index], e);
}

void Animation::SetGoal(const SRect32& margin, SIZE size) {
  goal_margin_ = margin;
  goal_size_ = size;
}

void Animation::SetKeyFrames(double from, double to) {
  key_time_[0] = 0.0;
  key_time_[1] = -1.0;
  key_value_[0] = from;
  key_value_[1] = to;
}

void Animation::SetKeyFrame(int index, double seconds, double value) {
  if (index != 0 && index != 1) return;
  key_time_[index] = seconds < 0 ? 0 : seconds;
  key_value_[index] = value;
}

double Animation::EffectValueAt(double seconds) const {
  double t0 = key_time_[0], t1 = key_time_[1] < 0 ? rate_ : key_time_[1];
  if (t1 <= t0) return seconds < t1 ? key_value_[0] : key_value_[1];
  double f = std::clamp((seconds - t0) / (t1 - t0), 0.0, 1.0);
  return key_value_[0] + (key_value_[1] - key_value_[0]) * f;
}

void Animation::SetEffect(Animation* effect) {
  if (effect == this) return;
  if (effect) effect->Retain();
  if (effect_) effect_->Release();
  effect_ = effect;
}

void Animation::SetEndNotify(Element* e, int32_t event) {
  Hold(notify_, e);
  notify_event_ = event;
}

bool Animation::Start() {
  if (!targets_[0] && !effect_) return false;
  Stop();
  if (targets_[0]) {
    from_margin_ = targets_[0]->Margin();
    from_size_ = targets_[0]->FrameSize();
  }
  done_ = 0;
  running_ = true;
  Retain();  // alive until it ends
  // Headless and real-clock: every step in one turn of the loop, so the
  // end still comes through the loop, in order with other work.
  bool at_once = CurrentBackend().AnimationsEndAtOnce() && !ManualClock();
  // The run lasts `rate` seconds.
  auto frame = uint32_t(std::max<long>(1, std::lround(rate_ * 1000.0 / steps_)));
  QelInstallTimer(this, kTimerId, 0, at_once ? 0 : frame, &Animation::Tick, nullptr);
  return true;
}

void Animation::Stop() {
  if (!running_) return;
  running_ = false;
  QelRemoveTimer(this, kTimerId);
  Release();
}

void Animation::Tick(void* owner, uint32_t, void*) {
  auto* a = static_cast<Animation*>(owner);
  bool at_once = CurrentBackend().AnimationsEndAtOnce() && !ManualClock();
  if (at_once) {
    while (a->running_) a->Step();
  } else {
    a->Step();
  }
}

void Animation::ApplyEffect(double seconds) {
  double v = EffectValueAt(seconds);
  if (targets_[1]) targets_[1]->SetOpacity(std::clamp(v, 0.0, 1.0));
  if (targets_[0]) targets_[0]->SetOpacity(std::clamp(1.0 - v, 0.0, 1.0));
}

void Animation::Apply(double t) {
  if (Kind() == QEL_KIND_FADE) {
    ApplyEffect(t * rate_);
    return;
  }
  if (effect_) {
    // A switch: the effect's key frames are timed within this run.
    effect_->ApplyEffect(t * rate_);
    if (!targets_[0]) return;
  }
  Element* e = targets_[0];
  e->SetMargin(SRect32{Lerp(from_margin_.left, goal_margin_.left, t),
                       Lerp(from_margin_.top, goal_margin_.top, t),
                       Lerp(from_margin_.right, goal_margin_.right, t),
                       Lerp(from_margin_.bottom, goal_margin_.bottom, t)});
  e->SetFrameSize(SIZE{Lerp(from_size_.cx, goal_size_.cx, t), Lerp(from_size_.cy, goal_size_.cy, t)});
}

void Animation::Step() {
  if (!running_) return;
  ++done_;
  Apply(done_ >= steps_ ? 1.0 : double(done_) / steps_);
  if (done_ >= steps_) Finish();
}

void Animation::Finish() {
  Retain();
  running_ = false;
  QelRemoveTimer(this, kTimerId);
  if (Kind() == QEL_KIND_FADE && targets_[0]) targets_[0]->SetOpacity(1.0);
  if (effect_ && effect_->targets_[0]) effect_->targets_[0]->SetOpacity(1.0);
  Element* n = notify_;
  if (n) {
    n->Retain();
    n->Fire(notify_event_, reinterpret_cast<QELLPARAM>(Handle()));
    n->Release();
  }
  Release();  // the running reference
  Release();
}

intptr_t Animation::Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) {
  if (iface != QEL_IF_ANIMATION) return QEL_E_NOTIMPL;
  switch (method) {
    case kAnimSetTarget:
      SetTarget(int(w), Element::From(reinterpret_cast<QelObject>(l)));
      return QEL_S_OK;
    case kAnimSetGoal:
      if (!w || !l) return QEL_E_POINTER;
      SetGoal(*reinterpret_cast<SRect32*>(w), *reinterpret_cast<SIZE*>(l));
      return QEL_S_OK;
    case kAnimSetKeyFrames:
      if (!w || !l) return QEL_E_POINTER;
      SetKeyFrames(*reinterpret_cast<double*>(w), *reinterpret_cast<double*>(l));
      return QEL_S_OK;
    case kAnimSetSteps:
      SetSteps(int32_t(w));
      return QEL_S_OK;
    case kAnimSetNotify:
      SetEndNotify(Element::From(reinterpret_cast<QelObject>(l)), int32_t(w));
      return QEL_S_OK;
    case kAnimStart:
      return Start() ? QEL_S_OK : QEL_E_FAIL;
    case kAnimStop:
      Stop();
      return QEL_S_OK;
    case kAnimIsRunning:
      return running_ ? 1 : 0;
    case kAnimSetKeyFrame: {
      const auto* frame = reinterpret_cast<const double*>(l);
      if (!frame) return QEL_E_POINTER;
      SetKeyFrame(int(w), frame[0], frame[1]);
      return QEL_S_OK;
    }
    case kAnimSetEffect: {
      Object* o = Object::FromHandle(reinterpret_cast<QelObject>(l));
      if (o && o->Kind() != QEL_KIND_FADE) return QEL_E_INVALIDARG;
      SetEffect(static_cast<Animation*>(o));
      return QEL_S_OK;
    }
  }
  return QEL_E_NOTIMPL;
}

}  // namespace qel
