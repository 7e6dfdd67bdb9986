#include "windows/platform/accessible_win.h"

#include <ole2.h>
#include <oleacc.h>

#include <algorithm>
#include <new>

#include "windows/platform/app_win.h"
#include "windows/platform/handles_win.h"

namespace platform {

// What the server and every object it handed out share: the source while
// the server lives, and the window the tree describes.
struct AccessibleServer::Shared {
  AccessibleSource* source = nullptr;
  HWND hwnd = nullptr;
};

namespace {

using Shared = AccessibleServer::Shared;

HRESULT BstrOut(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT Empty(VARIANT* out) {
  VariantInit(out);
  return S_FALSE;
}

// One element of the tree. Each object is counted by its holders; all it
// knows is its id, and it asks the source for everything else at every call.
class Element final : public IAccessible {
 public:
  Element(std::shared_ptr<Shared> shared, int id) : shared_(std::move(shared)), id_(id) {}
  Element(const Element&) = delete;
  Element& operator=(const Element&) = delete;

  // ------------------------------------------------------------ IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, IID_IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // ------------------------------------------------------------ IDispatch
  // Clients reach the tree through the IAccessible methods themselves; no
  // type information is offered for late binding.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // ------------------------------------------------------------ the tree
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    const auto node = Node(id_);
    if (!node) return Gone();
    if (id_ != 0) return Dispatch(node->parent, out);
    // The root's parent is the window's own object, which the system serves.
    if (!shared_->hwnd) return S_FALSE;
    return AccessibleObjectFromWindow(shared_->hwnd, static_cast<DWORD>(OBJID_WINDOW),
                                      IID_IDispatch, reinterpret_cast<void**>(out));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    const auto node = Node(id_);
    if (!node) return Gone();
    *count = static_cast<long>(node->children.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!shared_->source) return Gone();
    const auto id = Target(child);
    if (!id || !Node(*id)) return E_INVALIDARG;
    if (*id == id_) return E_INVALIDARG;
    // Every element is an object of its own.
    return Dispatch(*id, out);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    return Text(child, out, &AccessibleNode::name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    return Text(child, out, &AccessibleNode::value);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    return Text(child, out, &AccessibleNode::default_action);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    return Nothing(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
    return Nothing(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
    return Nothing(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return shared_->source ? S_FALSE : Gone();
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    return Number(child, out, &AccessibleNode::role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    return Number(child, out, &AccessibleNode::state);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    if (!out) return E_POINTER;
    Empty(out);
    if (!shared_->source) return Gone();
    const std::optional<int> focus = shared_->source->AccessibleFocus();
    if (!focus || !Contains(*focus)) return S_FALSE;
    return Answer(*focus, out);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (!out) return E_POINTER;
    Empty(out);
    return shared_->source ? S_FALSE : Gone();
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override {
    return shared_->source ? DISP_E_MEMBERNOTFOUND : Gone();
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    if (!shared_->source) return Gone();
    const auto node = NodeAt(child);
    if (!node) return E_INVALIDARG;
    *left = node->screen.left;
    *top = node->screen.top;
    *width = node->screen.right - node->screen.left;
    *height = node->screen.bottom - node->screen.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
    if (!out) return E_POINTER;
    Empty(out);
    if (!shared_->source) return Gone();
    const auto from = Target(start);
    const auto node = from ? Node(*from) : std::nullopt;
    if (!node) return E_INVALIDARG;
    std::optional<int> to;
    if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
      if (!node->children.empty()) {
        to = direction == NAVDIR_FIRSTCHILD ? node->children.front() : node->children.back();
      }
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS) {
      const auto parent = *from == 0 ? std::nullopt : Node(node->parent);
      if (parent) {
        const auto& siblings = parent->children;
        const auto at = std::find(siblings.begin(), siblings.end(), *from);
        if (at != siblings.end()) {
          if (direction == NAVDIR_NEXT && at + 1 != siblings.end()) to = *(at + 1);
          if (direction == NAVDIR_PREVIOUS && at != siblings.begin()) to = *(at - 1);
        }
      }
    } else {
      return E_NOTIMPL;  // the directions on the screen
    }
    if (!to) return S_FALSE;
    out->vt = VT_DISPATCH;
    return Dispatch(*to, &out->pdispVal);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    if (!out) return E_POINTER;
    Empty(out);
    auto node = Node(id_);
    if (!node) return Gone();
    const POINT pt{x, y};
    if (!PtInRect(&node->screen, pt)) return S_FALSE;
    // The deepest element under the point.
    int found = id_;
    for (bool deeper = true; deeper;) {
      deeper = false;
      for (const int child : node->children) {
        auto inner = Node(child);
        if (inner && PtInRect(&inner->screen, pt)) {
          found = child;
          node = std::move(inner);
          deeper = true;
          break;
        }
      }
    }
    return Answer(found, out);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!shared_->source) return Gone();
    const auto id = Target(child);
    if (!id || !Node(*id)) return E_INVALIDARG;
    return shared_->source->AccessibleDefaultAction(*id) ? S_OK : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~Element() = default;

  static HRESULT Gone() { return RPC_E_DISCONNECTED; }

  std::optional<AccessibleNode> Node(int id) const {
    if (!shared_->source) return std::nullopt;
    return shared_->source->AccessibleNodeOf(id);
  }

  // The element a child argument names: this one for CHILDID_SELF, its
  // children by position from 1, and any element of the tree by its id
  // negated, as events name them.
  std::optional<int> Target(const VARIANT& child) const {
    if (child.vt != VT_I4) return std::nullopt;
    if (child.lVal == CHILDID_SELF) return id_;
    if (child.lVal < 0) return static_cast<int>(-static_cast<long long>(child.lVal));
    const auto node = Node(id_);
    if (!node || static_cast<std::size_t>(child.lVal) > node->children.size()) return std::nullopt;
    return node->children[static_cast<std::size_t>(child.lVal) - 1];
  }

  // The element a child argument names, when the tree holds it.
  std::optional<AccessibleNode> NodeAt(const VARIANT& child) const {
    const auto id = Target(child);
    return id ? Node(*id) : std::nullopt;
  }

  // Whether `id` is this element or lies below it.
  bool Contains(int id) const {
    for (int at = id, steps = 0; steps < 64; ++steps) {
      if (at == id_) return true;
      const auto node = Node(at);
      if (!node || at == 0) return false;
      at = node->parent;
    }
    return false;
  }

  HRESULT Dispatch(int id, IDispatch** out) const {
    *out = nullptr;
    auto* element = new (std::nothrow) Element(shared_, id);
    if (!element) return E_OUTOFMEMORY;
    *out = element;  // the new object's one reference goes to the caller
    return S_OK;
  }

  // This element as CHILDID_SELF, any other as an object of its own.
  HRESULT Answer(int id, VARIANT* out) const {
    if (id == id_) {
      out->vt = VT_I4;
      out->lVal = CHILDID_SELF;
      return S_OK;
    }
    out->vt = VT_DISPATCH;
    return Dispatch(id, &out->pdispVal);
  }

  HRESULT Text(const VARIANT& child, BSTR* out, std::wstring AccessibleNode::*field) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!shared_->source) return Gone();
    const auto node = NodeAt(child);
    if (!node) return E_INVALIDARG;
    return BstrOut((*node).*field, out);
  }
  HRESULT Nothing(const VARIANT& child, BSTR* out) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!shared_->source) return Gone();
    return NodeAt(child) ? S_FALSE : E_INVALIDARG;
  }
  HRESULT Number(const VARIANT& child, VARIANT* out, DWORD AccessibleNode::*field) const {
    if (!out) return E_POINTER;
    VariantInit(out);
    if (!shared_->source) return Gone();
    const auto node = NodeAt(child);
    if (!node) return E_INVALIDARG;
    out->vt = VT_I4;
    out->lVal = static_cast<LONG>((*node).*field);
    return S_OK;
  }

  std::shared_ptr<Shared> shared_;
  const int id_;
  LONG refs_ = 1;
};

}  // namespace

AccessibleServer::AccessibleServer(AccessibleSource& source) : shared_(std::make_shared<Shared>()) {
  shared_->source = &source;
}

AccessibleServer::~AccessibleServer() {
  shared_->source = nullptr;
  shared_->hwnd = nullptr;
}

LRESULT AccessibleServer::Answer(HWND hwnd, WPARAM wparam, LPARAM lparam) {
  // The object id arrives as a 32-bit number, sign-extended or not.
  const auto object = static_cast<LONG>(static_cast<DWORD>(lparam));
  if (object != OBJID_CLIENT || !shared_->source || !EnsureComOnThisThread()) return 0;
  shared_->hwnd = hwnd;
  Com<IAccessible> root(new (std::nothrow) Element(shared_, 0));
  if (!root.get()) return 0;
  const LRESULT result = LresultFromObject(IID_IAccessible, wparam, root.get());
  return result > 0 ? result : 0;
}

void NotifyAccessibleEvent(DWORD event, HWND hwnd, int id) {
  if (hwnd) NotifyWinEvent(event, hwnd, OBJID_CLIENT, id == 0 ? CHILDID_SELF : -id);
}

}  // namespace platform
