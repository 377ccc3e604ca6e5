// Keeps the library non-empty until the first port implementation lands.
namespace quillmar::win32 {
int PlaceholderUnused() { return 0; }
}
