#include "data/SurfaceTable.h"

#include "data/Diagnostics.h"

#include <array>

namespace {

const SurfaceTable::Row kRows[SurfaceTable::kRowCount] = {
  {"NA", "NA (NA)", "NA"},
  {"-40", "Inner boundary of posterior hyaloid border (IB_PHB)", "NA"},
  {"-30", "Outer boundary of posterior hyaloid border (OB_PHB)", "NA"},
  {"-20", "Inner boundary of ERM (IB_ERM)", "NA"},
  {"-10", "Outer boundary of ERM (OB_ERM)", "NA"},
  {"10", "ILM (ILM)", "1"},
  {"20", "RNFL-GCL (RNFL-GCL)", "NA"},
  {"30", "GCL-IPL (GCL-IPL)", "2"},
  {"40", "IPL-INL (IPL-INL)", "3"},
  {"50", "INL-OPL (INL-OPL)", "4"},
  {"60", "OPL-Henles fiber layer (OPL-HFL)", "5"},
  {"70", "Henles fiber layer-ONL (HFL-ONL)", "NA"},
  {"80", "Inner boundary of ELM (IB_ELM)", "NA"},
  {"90", "Outer boundary of ELM (OB_ELM)", "NA"},
  {"100", "Boundary of myoid and ellipsoid of inner segments (BMEIS)", "6"},
  {"110", "IS/OS junction (IS/OSJ)", "7"},
  {"120", "Inner boundary of OPR (IB_OPR)", "NA"},
  {"130", "Outer boundary of OPR (OB_OPR)", "NA"},
  {"140", "Inner boundary of RPE (IB_RPE)", "8"},
  {"150", "Outer boundary of RPE (OB_RPE)", "9"},
  {"160", "Bruchs membrane (BM)", "NA"},
  {"170", "Choriocapillaris-Sattlers layer (C-SL)", "NA"},
  {"180", "Sattlers layer-Hallers layer (SL-HL)", "NA"},
  {"190", "Hallers layer-Sclera (HL-S)", "NA"},
  {"NA", "Reference surface for OCT flattening (REF)", "NA"},
};

std::string KeyOfName(std::string_view name)
{
  const size_t open = name.rfind('(');
  const size_t close = name.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open)
    return SurfaceTable::Normalise(name);
  return SurfaceTable::Normalise(name.substr(open + 1, close - open - 1));
}

bool InTable(int index)
{
  return index >= 0 && index < SurfaceTable::kRowCount;
}

}  // namespace

const SurfaceTable::Row& SurfaceTable::At(int index)
{
  return kRows[InTable(index) ? index : kUnknownRow];
}

const std::string& SurfaceTable::Key(int index)
{
  static const std::array<std::string, kRowCount> keys = [] {
    std::array<std::string, kRowCount> k;
    for (int i = 0; i < kRowCount; ++i)
      k[i] = KeyOfName(kRows[i].name);
    return k;
  }();
  return keys[InTable(index) ? index : kUnknownRow];
}

std::string SurfaceTable::Normalise(std::string_view text)
{
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c >= 'A' && c <= 'Z')
      out.push_back(static_cast<char>(c - 'A' + 'a'));
    else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
      out.push_back(c);
  }
  return out;
}

int SurfaceTable::RowForName(const char* name, ShortNumbers shortNumbers)
{
  if (!name || !*name)
    return kUnknownRow;
  const std::string text = Normalise(name);
  for (int k = 0; k < kRowCount; ++k) {
    if (text.find(Key(k)) != std::string::npos)
      return k;
    if (shortNumbers == ShortNumbers::Match && text == kRows[k].shortNumber)
      return k;
  }
  diag::Warning(std::string("Unknown surface name = '") + name + "'");
  return kUnknownRow;
}
