// A library without DllMain that depends on loader_test_ok.dll: its own export
// is found, the exports of the library it depends on are not.
extern "C" int velmora_test_value();

extern "C" __attribute__((visibility("default"))) int velmora_plain_value() {
  return velmora_test_value() + 1;
}
