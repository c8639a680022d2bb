// Drawing a label's text loads fontconfig, whose caches live until the
// process ends; LeakSanitizer (in the test build) is told they are no leak.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
