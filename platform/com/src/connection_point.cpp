#include "com/connection_point.h"

#include <map>
#include <mutex>

#include "com/object.h"

namespace com {

class ConnectionPointObject final : public Object<IConnectionPoint> {
 public:
  ConnectionPointObject(IConnectionPointContainer* container, REFIID events) : container_(container), events_(events) {}

  HRESULT GetConnectionInterface(IID* iid) override {
    if (!iid) return E_POINTER;
    *iid = events_;
    return S_OK;
  }
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override {
    if (!container) return E_POINTER;
    std::lock_guard lock(mutex_);
    *container = container_;
    if (!container_) return E_UNEXPECTED;
    container_->AddRef();
    return S_OK;
  }
  HRESULT Advise(IUnknown* sink, DWORD* cookie) override {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    void* p = nullptr;
    // The sink answers the outgoing interface with its IDispatch.
    if (FAILED(sink->QueryInterface(events_, &p)) || !p) return CONNECT_E_CANNOTCONNECT;
    auto disp = ComPtr<IDispatch>::Adopt(static_cast<IDispatch*>(p));
    std::lock_guard lock(mutex_);
    *cookie = next_cookie_++;
    sinks_[*cookie] = std::move(disp);
    return S_OK;
  }
  HRESULT Unadvise(DWORD cookie) override {
    ComPtr<IDispatch> dropped;  // released outside the lock
    std::lock_guard lock(mutex_);
    auto it = sinks_.find(cookie);
    if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
    dropped = std::move(it->second);
    sinks_.erase(it);
    return S_OK;
  }
  HRESULT EnumConnections(IEnumConnections** connections) override {
    if (connections) *connections = nullptr;
    return E_NOTIMPL;
  }

  void Detach() {
    std::map<DWORD, ComPtr<IDispatch>> dropped;
    std::lock_guard lock(mutex_);
    container_ = nullptr;
    dropped.swap(sinks_);
  }
  std::size_t Count() {
    std::lock_guard lock(mutex_);
    return sinks_.size();
  }
  std::size_t Fire(DISPID id, std::vector<Variant>& args) {
    std::vector<std::pair<DWORD, ComPtr<IDispatch>>> snapshot;
    {
      std::lock_guard lock(mutex_);
      snapshot.assign(sinks_.begin(), sinks_.end());
    }
    std::vector<VARIANT> reversed(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) reversed[args.size() - 1 - i] = args[i];  // shallow: args own
    std::size_t called = 0;
    for (auto& [cookie, sink] : snapshot) {
      {
        std::lock_guard lock(mutex_);
        if (!sinks_.count(cookie)) continue;
      }
      DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<unsigned>(reversed.size()), 0};
      sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
      ++called;
    }
    return called;
  }

 private:
  std::mutex mutex_;
  IConnectionPointContainer* container_;
  IID events_;
  DWORD next_cookie_ = 1;
  std::map<DWORD, ComPtr<IDispatch>> sinks_;
};

EventSource::EventSource(IConnectionPointContainer* container, REFIID events)
    : events_(events), point_(new ConnectionPointObject(container, events)) {
  point_->AddRef();
}

EventSource::~EventSource() {
  point_->Detach();
  point_->Release();
}

IConnectionPoint* EventSource::Point() const { return point_; }
std::size_t EventSource::SinkCount() const { return point_->Count(); }
std::size_t EventSource::Fire(DISPID id, std::vector<Variant>& args) { return point_->Fire(id, args); }

HRESULT FindConnectionPointIn(std::initializer_list<const EventSource*> sources, REFIID riid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  for (const EventSource* s : sources) {
    if (s && s->Events() == riid) {
      *point = s->Point();
      (*point)->AddRef();
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

}  // namespace com
