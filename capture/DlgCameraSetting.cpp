#include "DlgCameraSetting.h"

#include <string>

#include "CameraControlStore.h"
#include "DlgLayoutHelpers.h"
#include "ORVTrace.h"
#include "Profile.h"
#include "media/SoundLevel.h"
#include "qel/QelWideText.h"

namespace {

qel::Element* Rename(qel::Element* row, const char* name, const std::string& suffix) {
  qel::Element* e = row->FindByName(name, true);
  if (e) e->SetName(std::string(name) + "_" + suffix);
  return e;
}

}  // namespace

CDlgCameraSetting::CDlgCameraSetting(uint8_t parts, media::CaptureDevice camera, media::CaptureDevice microphone)
    : m_parts(parts), m_camera(std::move(camera)), m_microphone(std::move(microphone)) {}

void CDlgCameraSetting::RegisterCallBacks() {
  RegisterCallBack("butn_OK", QEL_EV_CLICK, &CDlgCameraSetting::OnButton, this);
  RegisterCallBack("butn_Default", QEL_EV_CLICK, &CDlgCameraSetting::OnButton, this);
  RegisterCallBack("butn_close_mac", QEL_EV_CLICK, &CDlgCameraSetting::OnButton, this);
  for (int32_t event : {QEL_EV_SEL_CHANGE, QEL_EV_SEL_CHANGE2})
    RegisterCallBack("comb_audiodevice", event, &CDlgCameraSetting::OnSound, this);
  for (int32_t event : {QEL_EV_SLIDER_CHANGE, QEL_EV_SLIDER_TRACK, QEL_EV_SLIDER_END})
    RegisterCallBack("scrl_audiolevel", event, &CDlgCameraSetting::OnSound, this);
}

int32_t CDlgCameraSetting::DidCreate() {
  CDlgBase::DidCreate();
  qel::Element* root = Root();
  if (!root) return QEL_S_OK;
  const bool camera = (m_parts & kCamera) && !m_camera.name.empty();
  const bool sound = (m_parts & kSound) && !m_microphone.name.empty();
  dlg::SetText(root, "text_camera", QelFromUTF8(m_camera.name));
  dlg::Show(root, "text_camera", camera);
  dlg::Show(root, "cata_controls", camera);
  // The title bar and the buttons, then the parts shown.
  int32_t height = 38 + 62;
  if (camera) height += 32 + 6 + BuildRows() * kRowHeight;

  dlg::Show(root, "text_sound", sound);
  dlg::Show(root, "cata_sound", sound);
  if (sound) {
    qel::Element* list = dlg::Find(root, "comb_audiodevice");
    for (const media::CaptureDevice& d : media::ListSoundDevices()) {
      if (d.unavailable) continue;
      m_sources.push_back(d);
      if (list) list->AddItem(QelFromUTF8(d.name));
      if (list && d.id == m_microphone.id) list->SetSelection(int32_t(m_sources.size() - 1));
    }
    const int level = media::GetSoundInputLevel(m_microphone);
    if (qel::Element* slider = dlg::Find(root, "scrl_audiolevel")) {
      slider->Enable(level >= 0);
      if (level >= 0) slider->SetScrollPos(level);
    }
    dlg::SetText(root, "text_levelvalue", level >= 0 ? QelFromUTF8(std::to_string(level) + " %") : u"");
    height += 32 + 84;
  }
  dlg::AlignButtonsRight(dlg::Find(root, "cata_butn"));
  root->SetFrameSize(SIZE{root->FrameSize().cx, height});
  SRect32 bounds = Bounds();
  bounds.bottom = bounds.top + height;
  MoveWindow(&bounds);
  return QEL_S_OK;
}

int32_t CDlgCameraSetting::BuildRows() {
  qel::Element* root = Root();
  qel::Element* panel = dlg::Find(root, "cata_controls");
  qel::Element* templ = dlg::Find(root, "cata_row");
  if (!panel || !templ) return 0;
  std::vector<media::CameraControl> controls = media::ListCameraControls(m_camera);
  m_rows.reserve(controls.size());
  for (media::CameraControl& c : controls) {
    auto* row = static_cast<qel::Element*>(templ->Copy());
    const std::string suffix = std::to_string(c.id);
    row->SetName("cata_row_" + suffix);
    row->Show(true);
    if (qel::Element* name = Rename(row, "text_name", suffix)) name->SetText(QelFromUTF8(c.name));
    qel::Element* slider = Rename(row, "scrl_value", suffix);
    qel::Element* check = Rename(row, "chck_value", suffix);
    qel::Element* list = Rename(row, "comb_value", suffix);
    Row r{c, nullptr, Rename(row, "text_value", suffix)};
    slider->Show(c.kind == media::CameraControl::Integer);
    check->Show(c.kind == media::CameraControl::Boolean);
    list->Show(c.kind == media::CameraControl::Menu);
    if (r.number) r.number->Show(c.kind == media::CameraControl::Integer);
    if (c.kind == media::CameraControl::Integer) {
      slider->SetScrollRange(c.minimum, c.maximum);
      slider->SetScrollStep(c.step);
      r.value = slider;
    } else if (c.kind == media::CameraControl::Boolean) {
      r.value = check;
    } else {
      for (const auto& [value, text] : c.items) list->AddItem(QelFromUTF8(text));
      r.value = list;
    }
    row->PutInside(panel, nullptr);
    row->Release();
    m_rows.push_back(r);
  }
  for (size_t i = 0; i < m_rows.size(); ++i) {
    m_rows[i].value->SetCallback(&CDlgCameraSetting::OnControl, this);
    m_rows[i].value->SetMenuId(int32_t(i));
    ShowValue(m_rows[i]);
  }
  panel->SetFrameSize(SIZE{panel->FrameSize().cx, int32_t(m_rows.size()) * kRowHeight});
  return int32_t(m_rows.size());
}

void CDlgCameraSetting::ShowValue(Row& row) {
  const media::CameraControl& c = row.control;
  switch (c.kind) {
    case media::CameraControl::Integer:
      row.value->SetScrollPos(c.value);
      if (row.number) row.number->SetText(QelFromUTF8(std::to_string(c.value)));
      break;
    case media::CameraControl::Boolean:
      row.value->SetCheck(c.value ? 1 : 0);
      break;
    case media::CameraControl::Menu:
      for (size_t i = 0; i < c.items.size(); ++i)
        if (c.items[i].first == c.value) row.value->SetSelection(int32_t(i));
      break;
  }
}

void CDlgCameraSetting::Apply(Row& row, int32_t value) {
  if (value == row.control.value) return;
  if (!media::SetCameraControl(m_camera, row.control.id, value)) {
    OrvTrace("camera setting refused " + row.control.name);
    ShowValue(row);
    return;
  }
  row.control.value = value;
  CameraControlStore::Store(m_camera, row.control.id, value);
  OrvTrace("camera setting " + row.control.name + " " + std::to_string(value));
  ShowValue(row);
}

void CDlgCameraSetting::Defaults() {
  for (Row& row : m_rows) Apply(row, row.control.defaultValue);
  CameraControlStore::Forget(m_camera);
}

int32_t CDlgCameraSetting::OnControl(QelObject element, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CDlgCameraSetting*>(data);
  qel::Element* e = qel::Element::From(element);
  if (!self || !e || e->MenuId() < 0 || size_t(e->MenuId()) >= self->m_rows.size()) return 0;
  Row& row = self->m_rows[size_t(e->MenuId())];
  switch (row.control.kind) {
    case media::CameraControl::Integer:
      if (event == QEL_EV_SLIDER_CHANGE || event == QEL_EV_SLIDER_TRACK || event == QEL_EV_SLIDER_END)
        self->Apply(row, e->Scroll().pos);
      break;
    case media::CameraControl::Boolean:
      if (event == QEL_EV_CLICK) self->Apply(row, e->Check() ? 1 : 0);
      break;
    case media::CameraControl::Menu:
      if ((event == QEL_EV_SEL_CHANGE || event == QEL_EV_SEL_CHANGE2) && e->Selection() >= 0 &&
          size_t(e->Selection()) < row.control.items.size())
        self->Apply(row, row.control.items[size_t(e->Selection())].first);
      break;
  }
  return 0;
}

int32_t CDlgCameraSetting::OnSound(QelObject element, int32_t, QELLPARAM, void* data) {
  auto* self = static_cast<CDlgCameraSetting*>(data);
  qel::Element* e = qel::Element::From(element);
  if (!self || !e) return 0;
  if (qel::NamesEqual(e->Name(), "scrl_audiolevel")) {
    const int32_t level = e->Scroll().pos;
    if (media::SetSoundInputLevel(self->m_microphone, level)) {
      OrvTrace("sound level " + std::to_string(level));
      dlg::SetText(self->Root(), "text_levelvalue", QelFromUTF8(std::to_string(level) + " %"));
    }
    return 0;
  }
  // Another input: it becomes the one to use; the capture page restarts
  // the sound with it when the dialog closes.
  const int32_t chosen = e->Selection();
  if (chosen < 0 || size_t(chosen) >= self->m_sources.size()) return 0;
  const media::CaptureDevice& d = self->m_sources[size_t(chosen)];
  if (d.id == self->m_microphone.id || d.inputs.empty()) return 0;
  self->m_microphone = d;
  SaveProfileString(u"Section_Capture", u"AudioDevice", QelFromUTF8(d.inputs.front()).c_str());
  OrvTrace("sound input " + d.inputs.front());
  const int level = media::GetSoundInputLevel(d);
  if (qel::Element* slider = dlg::Find(self->Root(), "scrl_audiolevel")) {
    slider->Enable(level >= 0);
    if (level >= 0) slider->SetScrollPos(level);
  }
  return 0;
}

int32_t CDlgCameraSetting::OnButton(QelObject element, int32_t, QELLPARAM, void* data) {
  auto* self = static_cast<CDlgCameraSetting*>(data);
  qel::Element* e = qel::Element::From(element);
  if (!self || !e) return 0;
  if (qel::NamesEqual(e->Name(), "butn_Default")) self->Defaults();
  else self->EndModal(kResultOK);
  return 0;
}
