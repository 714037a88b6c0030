#pragma once
// The objects behind the command-bar interfaces. Internal to platform/office.
#include <memory>
#include <string>
#include <vector>

#include "com/auto_object.h"
#include "com/connection_point.h"
#include "office_tlb.h"

namespace office::detail {

class ControlsObject;
class ButtonObject;

// The type information of the Office library, for IDispatch.
std::shared_ptr<const com::AutoClass> ClassFor(const com::IID& iid);

// What a control of either kind holds.
struct ControlState {
  std::u16string caption;
  std::u16string tag;
  bool visible = true;
  bool temporary = false;
  bool built_in = false;
};

// The C++ side of a control, whatever its interface.
class ControlImpl {
 public:
  virtual ~ControlImpl() = default;
  ControlState state;
  ControlsObject* parent = nullptr;  // not counted: the parent holds the control

  virtual std::int32_t Type() const = 0;
  virtual com::IUnknown* Identity() = 0;
  virtual Office::CommandBarControl* Interface() = 0;
  virtual ButtonObject* AsButton() { return nullptr; }
  virtual ControlsObject* Children() { return nullptr; }
  // Office closes: sinks released, temporary controls below removed.
  virtual void Close() {}
};

// Every control answers this private interface id with its ControlImpl.
inline constexpr com::IID kControlImplIid = com::MakeGuid("{6F1D2C3B-8E4A-4B59-9C0D-7A2E5B3F1C48}");
ControlImpl* ImplOf(com::IUnknown* control);

class ControlsObject final : public com::AutoObject<Office::CommandBarControls> {
 public:
  ControlsObject();
  com::HRESULT get_Item(com::VARIANT Index, Office::CommandBarControl** control) override;
  com::HRESULT get_Count(std::int32_t* count) override;
  com::HRESULT Add(com::VARIANT Type, com::VARIANT Id, com::VARIANT Parameter, com::VARIANT Before, com::VARIANT Temporary,
              Office::CommandBarControl** control) override;

  // Adds a control of the host's own (built in).
  void AddBuiltIn(std::int32_t type, std::u16string caption);
  const std::vector<com::ComPtr<Office::CommandBarControl>>& Items() const { return items_; }
  std::int32_t IndexOf(const ControlImpl* control) const;
  void Close();

 private:
  std::vector<com::ComPtr<Office::CommandBarControl>> items_;
};

class BarObject final : public com::AutoObject<Office::CommandBar> {
 public:
  BarObject(std::u16string name, std::int32_t position, bool menu_bar, bool temporary, bool built_in, bool visible);
  com::HRESULT get_Name(com::BSTR* name) override;
  com::HRESULT put_Name(com::BSTR name) override;
  com::HRESULT get_Visible(com::VARIANT_BOOL* visible) override;
  com::HRESULT put_Visible(com::VARIANT_BOOL visible) override;
  com::HRESULT get_Position(std::int32_t* position) override;
  com::HRESULT put_Position(std::int32_t position) override;
  com::HRESULT get_Controls(Office::CommandBarControls** controls) override;
  com::HRESULT get_BuiltIn(com::VARIANT_BOOL* built_in) override;
  com::HRESULT get_Index(std::int32_t* index) override;

  std::u16string name;
  std::int32_t position;
  bool menu_bar;
  bool temporary;
  bool built_in;
  bool visible;
  std::int32_t index = 0;  // kept by the collection
  com::ComPtr<ControlsObject> controls;
};

class BarsObject final : public com::AutoObject<Office::CommandBars> {
 public:
  BarsObject();
  com::HRESULT get_Item(com::VARIANT Index, Office::CommandBar** bar) override;
  com::HRESULT get_Count(std::int32_t* count) override;
  com::HRESULT Add(com::VARIANT Name, com::VARIANT Position, com::VARIANT MenuBar, com::VARIANT Temporary,
              Office::CommandBar** bar) override;

  const std::vector<com::ComPtr<BarObject>>& Items() const { return bars_; }
  void Close();

 private:
  BarObject& AddBar(com::ComPtr<BarObject> bar);
  std::vector<com::ComPtr<BarObject>> bars_;
};

}  // namespace office::detail
