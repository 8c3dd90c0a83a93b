#include "ParseSupport.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

#include "vortanParseState.h"

namespace vortan_test {

MemoryInput::MemoryInput(const std::string& bytes) : copy(bytes)
{
  // fmemopen refuses an empty buffer: an empty temporary file then.
  file = copy.empty() ? std::tmpfile() : fmemopen(copy.data(), copy.size(), "r");
  vortanin = input = vortannewFileInputStreamFILE(file);
}

MemoryInput::~MemoryInput()
{
  if (vortanin == input) vortanin = nullptr;
  vortandeleteInputStream(input);
  std::fclose(file);
}

Parse::Parse(const std::string& text)
{
  MemoryInput input(text);
  result = vortanparse();
  document = vortanast;
  vortanast = nullptr;
}

std::string token_text(int code)
{
  static const std::map<int, std::string> names = {
#define VORTAN_TOKEN_NAME(NAME, CODE) {CODE, #NAME},
    VORTAN_TOKENS(VORTAN_TOKEN_NAME)
#undef VORTAN_TOKEN_NAME
  };
  std::string item = names.count(code) ? names.at(code) : std::to_string(code);
  if (code == VORTAN_CHARREF) {
    item += "(" + std::to_string(vortanlval.character) + ")";
  } else if (vortanlval.string) {
    item += "(" + std::string(vortanlval.string) + ")";
    std::free(vortanlval.string);
  }
  return item;
}

std::vector<std::string> tokens(const std::string& text)
{
  vortaninit();
  MemoryInput input(text);
  vortanscanStart();
  std::vector<std::string> out;
  for (int code; (code = vortanlex()) != 0;) out.push_back(token_text(code));
  vortanscanFinish();
  return out;
}

namespace {

std::string escaped(const char* text)
{
  std::string out;
  for (const char* c = text ? text : ""; *c; ++c) switch (*c) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    case '\t': out += "&#9;"; break;
    case '\n': out += "&#10;"; break;
    case '\r': out += "&#13;"; break;
    default: out += *c;
    }
  return out;
}

const char* str(const vortanSTRING* s)
{
  return s ? vortangetStringStr(s) : "";
}

void writeItem(std::string& out, const void* item);

void writeList(std::string& out, const vortanLIST* list)
{
  vortanITERATOR* it = vortannewIterator(const_cast<vortanLIST*>(list));
  while (vortanhasNext(it)) writeItem(out, vortannext(it));
  vortandelete(it);
}

void writeElement(std::string& out, const vortanELEMENT* element)
{
  std::vector<std::pair<std::string, std::string>> attributes;
  vortanITERATOR* it = vortannewIterator(vortangetElementAttributes(element));
  while (vortanhasNext(it)) {
    auto* a = static_cast<vortanATTRIBUTE*>(vortannext(it));
    attributes.emplace_back(str(vortangetAttributeName(a)), str(vortangetAttributeValue(a)));
  }
  vortandelete(it);
  std::sort(attributes.begin(), attributes.end());
  const std::string name = str(vortangetElementName(element));
  out += "<" + name;
  for (auto& [n, v] : attributes) out += " " + n + "=\"" + escaped(v.c_str()) + "\"";
  out += ">";
  writeList(out, vortangetContentList(vortangetElementContent(element)));
  out += "</" + name + ">";
}

void writeItem(std::string& out, const void* item)
{
  switch (*static_cast<const int*>(item)) {
  case vortanTagElement: writeElement(out, static_cast<const vortanELEMENT*>(item)); break;
  case vortanTagCharData:
    out += escaped(str(vortangetCharDataString(static_cast<const vortanCHARDATA*>(item))));
    break;
  case vortanTagCData:
    out += escaped(str(vortangetCDataString(static_cast<const vortanCDATA*>(item))));
    break;
  case vortanTagPI: {
    auto* pi = static_cast<const vortanPI*>(item);
    out += "<?" + std::string(str(vortangetPITarget(pi))) + " " + str(vortangetPIParameters(pi)) + "?>";
    break;
  }
  default: break;  // comments
  }
}

// The notations of the DTD, as the second canonical form lists them.
std::string notations(const vortanPROLOG* prolog)
{
  const vortanDOCTYPEDECL* dtd = vortangetPrologDtdDecl(prolog);
  if (!dtd) return "";
  std::map<std::string, std::string> declared;
  vortanITERATOR* it = vortannewIterator(vortangetDocTypeDeclMarkupDecl(dtd));
  while (vortanhasNext(it)) {
    auto* decl = static_cast<vortanNOTATIONDECL*>(vortannext(it));
    if (*reinterpret_cast<const int*>(decl) != vortanTagNotationDecl) continue;
    const void* id = vortangetNotationDeclId(decl);
    std::string text;
    if (*static_cast<const int*>(id) == vortanTagPublicID) {
      text = "PUBLIC '" + std::string(str(vortangetPublicIDName(static_cast<const vortanPUBLICID*>(id)))) + "'";
    } else {
      const void* inner = vortangetExternalIDId(static_cast<const vortanEXTERNALID*>(id));
      if (*static_cast<const int*>(inner) == vortanTagSystemExternalID)
        text = "SYSTEM '" + std::string(str(vortangetSystemExternalIDName(static_cast<const vortanSYSTEMEXTERNALID*>(inner)))) + "'";
      else {
        auto* pub = static_cast<const vortanPUBLICEXTERNALID*>(inner);
        text = "PUBLIC '" + std::string(str(vortangetPublicExternalIDPublic(pub))) + "' '" +
               str(vortangetPublicExternalIDSystem(pub)) + "'";
      }
    }
    declared[str(vortangetNotationDeclName(decl))] = text;
  }
  vortandelete(it);
  if (declared.empty()) return "";
  std::string out = "<!DOCTYPE " + std::string(str(vortangetDocTypeDeclName(dtd))) + " [\n";
  for (auto& [name, id] : declared) out += "<!NOTATION " + name + " " + id + ">\n";
  return out + "]>\n";
}

}  // namespace

std::string canonical(const vortanDOCUMENT* document)
{
  const vortanPROLOG* prolog = vortangetDocumentProlog(document);
  std::string out = notations(prolog);
  writeList(out, vortangetPrologMisc1(prolog));
  writeList(out, vortangetPrologMisc2(prolog));
  writeElement(out, vortangetDocumentElement(document));
  writeList(out, vortangetDocumentMisc(document));
  return out;
}

std::string printed(const void* record)
{
  char* bytes = nullptr;
  size_t size = 0;
  FILE* file = open_memstream(&bytes, &size);
  vortanprint(file, record);
  std::fclose(file);
  std::string out(bytes, size);
  std::free(bytes);
  return out;
}

}  // namespace vortan_test
