// Every layout we ship or test with must follow the schema.
#include <gtest/gtest.h>
#include <libxml/relaxng.h>

#include <filesystem>

#include "TestEnvironment.h"

namespace {

class Schema {
 public:
  Schema() {
    xmlRelaxNGParserCtxtPtr p = xmlRelaxNGNewParserCtxt(QEL_SCHEMA);
    schema_ = xmlRelaxNGParse(p);
    xmlRelaxNGFreeParserCtxt(p);
  }
  ~Schema() {
    if (schema_) xmlRelaxNGFree(schema_);
  }
  bool Valid(const std::string& path) {
    xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET);
    if (!doc) return false;
    xmlRelaxNGValidCtxtPtr v = xmlRelaxNGNewValidCtxt(schema_);
    int r = xmlRelaxNGValidateDoc(v, doc);
    xmlRelaxNGFreeValidCtxt(v);
    xmlFreeDoc(doc);
    return r == 0;
  }
  bool Loaded() const { return schema_ != nullptr; }

 private:
  xmlRelaxNGPtr schema_ = nullptr;
};

TEST(LayoutSchema, ShippedAndTestLayoutsValidate) {
  Schema schema;
  ASSERT_TRUE(schema.Loaded());
  int seen = 0;
  for (const char* dir : {"/tests/platform/qel", "/platform/qel"}) {
    for (auto& entry : std::filesystem::recursive_directory_iterator(std::string(QEL_SOURCE_DIR) + dir)) {
      if (entry.path().extension() != ".aui") continue;
      ++seen;
      EXPECT_TRUE(schema.Valid(entry.path())) << entry.path();
    }
  }
  EXPECT_GT(seen, 0);
}

TEST(LayoutSchema, RejectsNameDerivedTypes) {
  Schema schema;
  auto dir = testenv::MakeTempDir("rng");
  testenv::WriteFile(dir / "a.aui", "<layout><element name='butn_OK'/></layout>");
  testenv::WriteFile(dir / "b.aui", "<layout><butn name='butn_OK'/></layout>");
  EXPECT_FALSE(schema.Valid(dir / "a.aui"));
  EXPECT_FALSE(schema.Valid(dir / "b.aui"));
}

}  // namespace
