/* The documented export names, with their addresses, built from C. */
#ifndef KORVEX_TESTS_EXPORT_TABLE_H
#define KORVEX_TESTS_EXPORT_TABLE_H

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*KorvexExportAddress)(void);
typedef struct KorvexExportEntry {
  const char* name;
  KorvexExportAddress address;
} KorvexExportEntry;

extern const KorvexExportEntry kKorvexExportTable[];
extern const int kKorvexExportCount;

#ifdef __cplusplus
}
#endif

#endif
