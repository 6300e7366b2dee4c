// Forms: top-level windows built from a form resource (layout data naming each
// control, its properties and the handlers wired to its events).
#pragma once
#include <functional>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/Control.h"

namespace tk {

struct PropDesc {
  const wchar_t* name;
  const wchar_t* value;
};

class Form;

// One event of a form resource: the event and the member function of the
// form class that it calls, as in {&Control::OnClick, &TForm1::BtnStretchClick}
// or {&Form::OnCreate, &TForm1::FormCreate}. Both are named as members, so a
// misspelt handler, or one whose parameters do not fit the event, does not
// compile.
struct EventDesc {
  template <typename Owner, typename F, typename... Args>
  EventDesc(std::function<void(Control&, Args...)> Owner::*event, void (F::*handler)(Args...))
      : wire([event, handler](Form& form, Control& target) {
          F& self = dynamic_cast<F&>(form);  // a resource loaded into another class raises here
          auto& slot = dynamic_cast<Owner&>(target).*event;
          slot = [&self, handler](Control&, Args... args) { (self.*handler)(args...); };
        }) {}

  // Sets the event of target (the form itself or one of its components) to
  // call the handler on form.
  std::function<void(Form& form, Control& target)> wire;
};

// The member of the form class that holds a component, as &TForm1::Panel1, or
// nullptr for a component the class does not name. Set when the component is
// made; a member of another class than the component's raises there.
struct MemberDesc {
  MemberDesc(std::nullptr_t) {}
  template <typename F, typename T>
  MemberDesc(T* F::*member)
      : bind([member](Form& form, Control& component) {
          T* typed = dynamic_cast<T*>(&component);
          if (!typed) throw std::invalid_argument("component of another class than its member");
          dynamic_cast<F&>(form).*member = typed;
        }) {}

  std::function<void(Form& form, Control& component)> bind;
};

struct ComponentDesc {
  const wchar_t* name;
  const wchar_t* className;
  const wchar_t* parent;
  MemberDesc member;
  std::vector<PropDesc> props;
  std::vector<EventDesc> events;
};

struct FormResource {
  const wchar_t* name;
  const wchar_t* className;
  std::vector<PropDesc> props;
  std::vector<ComponentDesc> components;
  std::vector<EventDesc> events;  // the form's own
};

using ControlFactory = std::function<std::unique_ptr<Control>()>;
// Control classes by resource class name ("TPanel", "TButton", ...).
void RegisterControlClass(const std::wstring& className, ControlFactory factory);

enum class BorderStyle { None, Single, Sizeable };
enum class WindowState { Normal, Minimized, Maximized };

class Form : public Control {
 public:
  Form();
  ~Form() override;

  // Builds the form from its resource: each component is made, set in its
  // member of the form class, given its properties and handlers; then the
  // window is created and OnCreate runs.
  void Load(const FormResource& resource);

  Control* FindComponent(const std::wstring& componentName) const;
  template <typename T>
  T* Component(const std::wstring& componentName) const {
    return dynamic_cast<T*>(FindComponent(componentName));
  }
  // Takes ownership of a control made in code.
  Control* AddComponent(std::unique_ptr<Control> c);

  void SetClientSize(int width, int height);
  BorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(BorderStyle b) { borderStyle_ = b; }
  WindowState GetWindowState() const { return windowState_; }
  void SetWindowState(WindowState s);
  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool v);
  void UpdateScrollRange();

  void Show();
  void Close();
  int ShowModal();
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int r) { modalResult_ = r; }
  bool Modal() const { return modal_; }

  Control* ActiveControl() const { return activeControl_; }
  void SetActiveControl(Control* c);

  // Tab, arrow and mnemonic keys handled as in a dialog.
  bool DialogNavigation() const { return dialogNavigation_; }
  void SetDialogNavigation(bool v) { dialogNavigation_ = v; }
  // The form's key handlers see its controls' keys first.
  bool keyPreview = false;
  bool PreviewsKeys() const override { return keyPreview; }

  void SetProperty(const std::wstring& prop, const std::wstring& value) override;

  Notify OnCreate;
  Notify OnDestroy;
  Notify OnShow;
  Notify OnPaint;
  // Files dropped on the window, in the order the dropping program gave
  // them. A form with this handler accepts files; while it is disabled a
  // drop is ignored.
  std::function<void(Control& sender, const std::vector<std::wstring>& names)> OnDropFiles;

 protected:
  void CreateParams(CreateArgs& args) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Paint(HDC dc) override;
  POINT ScrollOffset() const override { return scrollPos_; }
  void ChildBoundsChanged(Control& child) override;
  void Resized() override { UpdateScrollRange(); }
  // Without a wheel handler of its own an automatically scrolling form
  // scrolls with the wheel along each axis that has a bar.
  bool WantsWheel(bool horizontal) const override;
  void MouseWheel(int notches, bool horizontal) override;

 private:
  void Apply(Control& c, const std::vector<PropDesc>& props, const std::vector<EventDesc>& events);
  void Scroll(int bar, WPARAM wp);
  void ScrollBarTo(int bar, int pos);
  void DropFiles(HDROP drop);
  void ScrollTo(POINT pos);
  bool RealizePalette(bool background);

  std::vector<std::unique_ptr<Control>> components_;
  BorderStyle borderStyle_ = BorderStyle::Sizeable;
  WindowState windowState_ = WindowState::Normal;
  bool autoScroll_ = false;
  bool dialogNavigation_ = true;
  bool defaultPosition_ = true;
  bool modal_ = false;
  int modalResult_ = 0;
  POINT scrollPos_{0, 0};
  SIZE scrollRange_{0, 0};
  SIZE scrollClient_{-1, -1};  // the client size scrollRange_ was applied for
  bool updatingScroll_ = false;
  Control* activeControl_ = nullptr;  // we don't own it
};

}  // namespace tk
