#pragma once
// Connection points: an object that fires events offers
// IConnectionPointContainer; each outgoing interface has an IConnectionPoint
// to which a sink subscribes with Advise (getting a cookie) and from which it
// unsubscribes with Unadvise(cookie). Enumerating is not offered (E_NOTIMPL).
//
// EventSource is the event-firing side, ready to use inside a container:
//   com::EventSource clicks_{this, DIID__CommandBarButtonEvents};
//   HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** cp) override {
//     return com::FindConnectionPointIn({&clicks_}, riid, cp);
//   }
//   std::vector<com::Variant> args{com::Variant(button), com::Variant::ByRef(VT_BOOL, &cancel)};
//   clicks_.Fire(1, args);   // Invoke(DISPID 1) on every advised sink
#include <initializer_list>
#include <vector>

#include "com/com_ptr.h"
#include "com/dispatch.h"

namespace com {

class IEnumConnectionPoints;
class IEnumConnections;
class IConnectionPoint;

class IConnectionPointContainer : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{B196B284-BAB4-101A-B69C-00AA00341D07}");
  using Base = IUnknown;
  virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) = 0;
  virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) = 0;

 protected:
  ~IConnectionPointContainer() = default;
};

class IConnectionPoint : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{B196B286-BAB4-101A-B69C-00AA00341D07}");
  using Base = IUnknown;
  virtual HRESULT GetConnectionInterface(IID* iid) = 0;
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
  // E_POINTER for a null sink or cookie; CONNECT_E_CANNOTCONNECT when the
  // sink does not answer the outgoing interface.
  virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
  // CONNECT_E_NOCONNECTION for a cookie that is not (or no longer) advised.
  virtual HRESULT Unadvise(DWORD cookie) = 0;
  virtual HRESULT EnumConnections(IEnumConnections** connections) = 0;

 protected:
  ~IConnectionPoint() = default;
};

class ConnectionPointObject;

class EventSource {
 public:
  // container is the object this source belongs to (not counted: the source
  // lives inside it); events the outgoing dispatch interface.
  EventSource(IConnectionPointContainer* container, REFIID events);
  ~EventSource();
  EventSource(const EventSource&) = delete;
  EventSource& operator=(const EventSource&) = delete;

  IConnectionPoint* Point() const;
  const IID& Events() const { return events_; }
  std::size_t SinkCount() const;
  // Calls Invoke(id, DISPATCH_METHOD) on every sink advised when the call
  // starts and still advised when its turn comes; args in declaration order
  // (by-reference arguments come back changed). Failures of a sink are
  // ignored. Returns how many sinks were called.
  std::size_t Fire(DISPID id, std::vector<Variant>& args);

 private:
  IID events_;
  ConnectionPointObject* point_;  // counted: one reference held here
};

// FindConnectionPoint over the sources of a container: the one for riid, or
// CONNECT_E_NOCONNECTION.
HRESULT FindConnectionPointIn(std::initializer_list<const EventSource*> sources, REFIID riid, IConnectionPoint** point);

}  // namespace com
