// SPDX-License-Identifier: GPL-3.0-or-later
// The binary interface of libgeodrel.so: what a client that loads it by name
// finds there, and that nothing else of ours leaks into its symbol table.
#include "geodrel.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

extern "C" int GeodrelCApiCheck(void);

namespace {

const char* const kLibrary = GEODREL_LIBRARY_FILE;

const std::set<std::string> kEntryPoints = {"DmsToDeg",      "DegToDms",   "GetDatum",        "GetDatumByNum",
                                            "GetDatumCount", "GetEllipse", "GetEllipseByNum", "DmsConv"};

// What the linker itself may define in a shared object's dynamic table.
const std::set<std::string> kLinkerSymbols = {"_init", "_fini", "_edata", "_end", "__bss_start"};

// Defined global or weak symbols of the file's .dynsym, with their ELF type.
// Empty when the file is not a well-formed 64-bit ELF object.
std::map<std::string, unsigned> DefinedDynamicSymbols(const char* path) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<char> image{std::istreambuf_iterator<char>(file), {}};
  std::map<std::string, unsigned> symbols;
  const auto fits = [&](std::uint64_t offset, std::uint64_t size) {
    return offset <= image.size() && size <= image.size() - offset;
  };
  Elf64_Ehdr eh;
  if (!fits(0, sizeof eh)) return symbols;
  std::memcpy(&eh, image.data(), sizeof eh);
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64 ||
      eh.e_shentsize != sizeof(Elf64_Shdr)) {
    return symbols;
  }
  const auto section = [&](unsigned i) {
    Elf64_Shdr sh{};
    if (i < eh.e_shnum && fits(eh.e_shoff + i * sizeof sh, sizeof sh)) {
      std::memcpy(&sh, image.data() + eh.e_shoff + i * sizeof sh, sizeof sh);
    }
    return sh;
  };
  for (unsigned i = 0; i < eh.e_shnum; ++i) {
    const Elf64_Shdr sh = section(i);
    if (sh.sh_type != SHT_DYNSYM || !fits(sh.sh_offset, sh.sh_size)) continue;
    const Elf64_Shdr strtab = section(sh.sh_link);
    if (!fits(strtab.sh_offset, strtab.sh_size)) continue;
    for (std::uint64_t k = 1; k < sh.sh_size / sizeof(Elf64_Sym); ++k) {
      Elf64_Sym sym;
      std::memcpy(&sym, image.data() + sh.sh_offset + k * sizeof sym, sizeof sym);
      const unsigned bind = ELF64_ST_BIND(sym.st_info);
      if (sym.st_shndx == SHN_UNDEF || bind == STB_LOCAL || sym.st_name >= strtab.sh_size) {
        continue;
      }
      const char* name = image.data() + strtab.sh_offset + sym.st_name;
      symbols[std::string(name, strnlen(name, strtab.sh_size - sym.st_name))] = ELF64_ST_TYPE(sym.st_info);
    }
  }
  return symbols;
}

TEST(GeodrelAbi, LoadsByNameAndResolvesTheEightEntryPoints) {
  void* lib = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  for (const std::string& name : kEntryPoints) {
    EXPECT_NE(dlsym(lib, name.c_str()), nullptr) << name;
  }
  // Called through what dlsym found, as a client binding at run time would.
  using CountFn = std::int16_t (*)(void);
  using ByNumFn = const char* (*)(std::int16_t, TDatumParam*);
  using ConvFn = bool (*)(const char*, const char*, const TGeoPoint*, TGeoPoint*);
  const auto count = reinterpret_cast<CountFn>(dlsym(lib, "GetDatumCount"));
  const auto byNum = reinterpret_cast<ByNumFn>(dlsym(lib, "GetDatumByNum"));
  const auto conv = reinterpret_cast<ConvFn>(dlsym(lib, "DmsConv"));
  ASSERT_TRUE(count && byNum && conv);
  EXPECT_EQ(count(), 3);
  TDatumParam p{};
  EXPECT_STREQ(byNum(1, &p), "WGS 84");
  EXPECT_EQ(p.a, 6378137.0);
  const TGeoPoint in{35.0, 135.0, 0.0};
  TGeoPoint out{};
  EXPECT_TRUE(conv("Tokyo", "WGS 84", &in, &out));
  EXPECT_NEAR(out.lat, 35.0011495, 1e-7);
  EXPECT_EQ(dlclose(lib), 0);
}

TEST(GeodrelAbi, DynamicSymbolTableHoldsOnlyTheEntryPoints) {
  const std::map<std::string, unsigned> symbols = DefinedDynamicSymbols(kLibrary);
  ASSERT_FALSE(symbols.empty()) << "could not read " << kLibrary;
  for (const std::string& name : kEntryPoints) {
    const auto it = symbols.find(name);
    ASSERT_NE(it, symbols.end()) << name << " is not exported";
    EXPECT_EQ(it->second, unsigned{STT_FUNC}) << name;
  }
  for (const auto& [name, type] : symbols) {
    EXPECT_TRUE(kEntryPoints.count(name) || kLinkerSymbols.count(name))
        << name << " is exported but is not part of the interface";
  }
}

TEST(GeodrelAbi, HeaderWorksFromC) { EXPECT_EQ(GeodrelCApiCheck(), 0); }

}  // namespace
