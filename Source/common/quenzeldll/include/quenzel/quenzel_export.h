// Symbol visibility for the quenzel library: everything is hidden unless
// marked QUENZEL_API.
#ifndef QUENZEL_QUENZEL_EXPORT_H_
#define QUENZEL_QUENZEL_EXPORT_H_

#if defined(_WIN32)
#if defined(QUENZEL_BUILDING)
#define QUENZEL_API __declspec(dllexport)
#else
#define QUENZEL_API __declspec(dllimport)
#endif
#else
#define QUENZEL_API __attribute__((visibility("default")))
#endif

#endif  // QUENZEL_QUENZEL_EXPORT_H_
