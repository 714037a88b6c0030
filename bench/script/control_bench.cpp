// The validator's pattern through COM: create "MSScriptControl.ScriptControl"
// by its ProgID, set Language, Eval a rewritten rule, release; and a plain
// Eval loop on one engine, late-bound (names looked up on every call).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "com/activation.h"
#include "com/com_ptr.h"
#include "com/dispatch.h"
#include "platform/win/library_loader.h"

namespace {

constexpr char16_t kProgId[] = u"MSScriptControl.ScriptControl";

com::DISPID IdOf(com::IDispatch* object, const char16_t* name) {
  std::u16string member(name);
  com::OLECHAR* names[] = {member.data()};
  com::DISPID id = com::DISPID_UNKNOWN;
  object->GetIDsOfNames(com::IID_NULL, names, 1, 0, &id);
  return id;
}

void SetLanguage(com::IDispatch* engine) {
  com::Variant language(u"VBScript");
  com::DISPID put = com::DISPID_PROPERTYPUT;
  com::DISPPARAMS params{&language, &put, 1, 1};
  engine->Invoke(IdOf(engine, u"Language"), com::IID_NULL, 0, com::DISPATCH_PROPERTYPUT, &params,
                 nullptr, nullptr, nullptr);
}

bool Eval(com::IDispatch* engine, com::Variant& expression) {
  com::DISPPARAMS params{&expression, nullptr, 1, 0};
  com::Variant result;
  const com::HRESULT hr =
      engine->Invoke(IdOf(engine, u"Eval"), com::IID_NULL, 0, com::DISPATCH_METHOD, &params,
                     result.Put(), nullptr, nullptr);
  return hr == com::S_OK && result.vt == com::VT_BOOL && result.boolVal == com::VARIANT_TRUE;
}

// A registry of the benchmark's own with velscript.dll registered in it.
struct Registered {
  Registered() {
    dir = std::filesystem::temp_directory_path() / ("script_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    setenv("VELMORA_REGISTRY", (dir / "registry.xml").c_str(), 1);
    com::CoInitialize(nullptr);
    const win::HMODULE module = win::LoadLibrary(VELMORA_BIN_DIR "/velscript.dll");
    auto reg =
        module
            ? reinterpret_cast<com::HRESULT (*)()>(win::GetProcAddress(module, "DllRegisterServer"))
            : nullptr;
    ok = reg && reg() == com::S_OK;
  }
  ~Registered() {
    com::CoUninitialize();
    std::filesystem::remove_all(dir);
  }
  std::filesystem::path dir;
  bool ok = false;
};

Registered& Registry() {
  static Registered registered;
  return registered;
}

void BM_CreateByProgIdSetLanguageEvalRelease(benchmark::State& state) {
  if (!Registry().ok) return state.SkipWithError("velscript.dll cannot be registered");
  com::Variant rule(u"1250+37+0=1287");
  for (auto _ : state) {
    com::ComPtr<com::IDispatch> engine;
    if (com::FAILED(com::CreateInstanceByName(kProgId, com::IDispatch::iid, engine.PutVoid())))
      return state.SkipWithError("creation failed");
    SetLanguage(engine.Get());
    if (!Eval(engine.Get(), rule)) return state.SkipWithError("wrong result");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CreateByProgIdSetLanguageEvalRelease);

// The same with the ProgID resolved and the class object fetched once: what
// the engine itself costs per evaluation.
void BM_CreateFromClassObjectSetLanguageEvalRelease(benchmark::State& state) {
  if (!Registry().ok) return state.SkipWithError("velscript.dll cannot be registered");
  com::CLSID clsid;
  com::ComPtr<com::IClassFactory> factory;
  if (com::FAILED(com::CLSIDFromProgID(kProgId, &clsid)) ||
      com::FAILED(com::CoGetClassObject(clsid, com::CLSCTX_INPROC_SERVER, nullptr,
                                        com::IClassFactory::iid, factory.PutVoid())))
    return state.SkipWithError("no class object");
  com::Variant rule(u"1250+37+0=1287");
  for (auto _ : state) {
    com::ComPtr<com::IDispatch> engine;
    factory->CreateInstance(nullptr, com::IDispatch::iid, engine.PutVoid());
    SetLanguage(engine.Get());
    if (!Eval(engine.Get(), rule)) return state.SkipWithError("wrong result");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CreateFromClassObjectSetLanguageEvalRelease);

// The part of the validator's pattern that is the runtime's: the ProgID's
// class from the registry.
void BM_ClsidFromProgId(benchmark::State& state) {
  if (!Registry().ok) return state.SkipWithError("velscript.dll cannot be registered");
  com::CLSID clsid;
  for (auto _ : state) benchmark::DoNotOptimize(com::CLSIDFromProgID(kProgId, &clsid));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ClsidFromProgId);

void BM_EvalLoopOnOneEngine(benchmark::State& state) {
  if (!Registry().ok) return state.SkipWithError("velscript.dll cannot be registered");
  com::ComPtr<com::IDispatch> engine;
  if (com::FAILED(com::CreateInstanceByName(kProgId, com::IDispatch::iid, engine.PutVoid())))
    return state.SkipWithError("creation failed");
  SetLanguage(engine.Get());
  com::Variant rule(u"1250+37+0=1287");
  for (auto _ : state)
    if (!Eval(engine.Get(), rule)) return state.SkipWithError("wrong result");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvalLoopOnOneEngine);

}  // namespace
