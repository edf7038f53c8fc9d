#include "Core/Interfaces/Property.h"
#include "Platform/Bedrock/PropertySerializer.h"
#include "Platform/FileIo/DataFile.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

using Zentor::Core::Property;
using Zentor::Core::PropertySerializer;

namespace {

uint64_t Bits(double d) {
  uint64_t b;
  std::memcpy(&b, &d, sizeof(b));
  return b;
}

// Structural equality that compares doubles bit for bit.
void ExpectSameTree(const Property& a, const Property& b, const std::string& path = "/") {
  ASSERT_EQ(a.GetName(), b.GetName()) << path;
  ASSERT_EQ(a.GetType(), b.GetType()) << path;
  switch (a.GetType()) {
    case Zentor::PT_BOOL: EXPECT_EQ(a.GetBool(), b.GetBool()) << path; break;
    case Zentor::PT_INT: EXPECT_EQ(a.GetInt(), b.GetInt()) << path; break;
    case Zentor::PT_INT64: EXPECT_EQ(a.GetInt64(), b.GetInt64()) << path; break;
    case Zentor::PT_DOUBLE: EXPECT_EQ(Bits(a.GetDouble()), Bits(b.GetDouble())) << path; break;
    case Zentor::PT_STRING: EXPECT_EQ(a.GetString(), b.GetString()) << path; break;
    default: break;
  }
  ASSERT_EQ(a.Count(), b.Count()) << path;
  for (size_t i = 0; i < a.Count(); ++i) ExpectSameTree(a[i], b[i], path + a.GetName() + "/");
}

Property AwkwardTree() {
  Property root("root \"quoted\"");
  root.CreateChildT("", true);
  root.CreateChildT("", false);
  root.CreateChildT("dup", 1);                 // int
  root.CreateChildT("dup", 1LL);               // long long, same name
  root.CreateChildT("int", INT_MIN);
  root.CreateChildT("ll", LLONG_MIN);
  root.CreateChildT("llmax", LLONG_MAX);
  for (double d : {0.1, 1e-300, -0.0, 5e-324, DBL_MAX, DBL_MIN, 1.0 / 3.0, 123456789.0,
                   std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()})
    root.CreateChildT("d", d);
  uint64_t nanBits = 0xfff8000000000123ull;  // negative NaN with a payload
  double nan;
  std::memcpy(&nan, &nanBits, sizeof(nan));
  root.CreateChildT("nan", nan);
  root.CreateChildT("s", std::string("quote\" back\\slash\nnew\tline\0nul\xff\x80 caf\xc3\xa9 \x7f\x01", 34));
  root.CreateChildT(std::string("name\0with\xfe", 10), std::string());
  root.AppendChild(Property::MakeNone("none"));
  root.AppendChild(Property("empty group"));
  Property& nested = root.SetChild("nested");
  nested.SetChild("inner").SetChild("innermost").CreateChildT("leaf", std::string("\xe2\x82\xac"));
  nested.AppendChild(Property::MakeNone(""));
  // A value assigned to a group keeps its children.
  Property& valued = root.SetChild("valued");
  valued.SetChildT("child", 1);
  valued = 9.5;
  return root;
}

class MemoryOutput : public Zentor::RefCounted<Zentor::Core::IDataOutput> {
 public:
  void Write(const void* buffer, size_t size) override { data.append(static_cast<const char*>(buffer), size); }
  void Commit() override {}
  std::string data;
};

class MemoryInput : public Zentor::RefCounted<Zentor::Core::IDataInput> {
 public:
  explicit MemoryInput(std::string text) : data(std::move(text)) {}
  void Read(void* buffer, size_t size) override {
    if (size > data.size() - pos) ZENTOR_THROW_DESC(Zentor::Core::FileException, "short read");
    std::memcpy(buffer, data.data() + pos, size);
    pos += size;
  }
  uint64_t GetSize() const override { return data.size(); }
  std::string data;
  size_t pos = 0;
};

}  // namespace

TEST(PropertySerializer, StreamFormsAndNameChoice) {
  const Property tree = AwkwardTree();
  MemoryOutput out;
  PropertySerializer::Serialize(tree, out, true);

  Property unnamed{std::string()};
  MemoryInput in(out.data);
  PropertySerializer::Deserialize(unnamed, in, true);
  ExpectSameTree(tree, unnamed);

  Property keeps("mine", 5);
  MemoryInput again(out.data);
  PropertySerializer::Deserialize(keeps, again, false);
  EXPECT_EQ(keeps.GetName(), "mine");
  EXPECT_EQ(keeps.Count(), tree.Count());

  // A failed read leaves the target as it was.
  Property target("target");
  target.SetChildT("kept", 1);
  MemoryInput damaged(out.data.substr(0, out.data.size() / 2));
  EXPECT_THROW(PropertySerializer::Deserialize(target, damaged, true), Zentor::Core::FileException);
  EXPECT_EQ(target.GetName(), "target");
  ASSERT_EQ(target.Count(), 1u);
  EXPECT_EQ(target["kept"].GetInt(), 1);
}

TEST(PropertySerializer, AwkwardTreeRoundTripsInBothForms) {
  const Property tree = AwkwardTree();
  for (bool pretty : {true, false}) {
    const std::string text = PropertySerializer::SerializeToString(tree, pretty);
    const Property back = PropertySerializer::DeserializeFromString(text);
    ExpectSameTree(tree, back);
    EXPECT_TRUE(tree == back);
    // Writing the result again gives the same text.
    EXPECT_EQ(PropertySerializer::SerializeToString(back, pretty), text);
  }
}

TEST(PropertySerializer, TextIsReadableJsonLikeAscii) {
  Property root("r");
  root.CreateChildT("s", std::string("a\xff\xc3\xa9\0", 5));
  root.CreateChildT("d", 0.1);
  const std::string text = PropertySerializer::SerializeToString(root, false);
  EXPECT_NE(text.find("\"v\":0.1}"), std::string::npos) << text;
  // Invalid UTF-8 and NUL are escaped byte by byte; valid UTF-8 is kept.
  EXPECT_NE(text.find("\"a\\u00ff\xc3\xa9\\u0000\""), std::string::npos) << text;
}

TEST(PropertySerializer, TypeZeroAndEmptyGroupStayDistinct) {
  Property root("r");
  root.AppendChild(Property::MakeNone("x"));
  root.AppendChild(Property("x"));
  const Property back = PropertySerializer::DeserializeFromString(PropertySerializer::SerializeToString(root));
  EXPECT_EQ(back[0].GetType(), Zentor::PT_NONE);
  EXPECT_EQ(back[1].GetType(), Zentor::PT_GROUP);
  // A bare typeless root too.
  const Property none = PropertySerializer::DeserializeFromString(PropertySerializer::SerializeToString(Property()));
  EXPECT_EQ(none.GetType(), Zentor::PT_NONE);
}

TEST(PropertySerializer, DamagedInputRaises) {
  const std::string good = PropertySerializer::SerializeToString(AwkwardTree(), true);
  // A cut anywhere before the closing brace is refused.
  for (size_t len = 0; len + 2 < good.size(); len += 7)
    EXPECT_THROW(PropertySerializer::DeserializeFromString(good.substr(0, len)), Zentor::Core::FileException)
        << "prefix " << len;

  const std::string header = "{\"format\":\"ZentorPropertyTree\",\"version\":1,\"root\":";
  const char* bad[] = {
      "",
      "{}",
      "[1,2]",
      "{\"format\":\"Other\",\"version\":1,\"root\":{\"n\":\"\",\"t\":0}}",
      "{\"format\":\"ZentorPropertyTree\",\"version\":2,\"root\":{\"n\":\"\",\"t\":0}}",
  };
  for (const char* text : bad) EXPECT_THROW(PropertySerializer::DeserializeFromString(text), Zentor::Exception) << text;

  const char* badNodes[] = {
      "{\"n\":\"a\",\"t\":7}",                      // unknown type
      "{\"n\":\"a\",\"t\":2}",                      // value missing
      "{\"n\":\"a\",\"t\":2,\"v\":2147483648}",     // int out of range
      "{\"n\":\"a\",\"t\":3,\"v\":9223372036854775808}",
      "{\"n\":\"a\",\"t\":3,\"v\":1.5}",
      "{\"n\":\"a\",\"t\":4,\"v\":1e999}",
      "{\"n\":\"a\",\"t\":4,\"v\":\"nan:0000000000000001\"}",  // bits of no NaN
      "{\"n\":\"a\",\"t\":1,\"v\":1}",
      "{\"n\":\"a\",\"t\":5,\"v\":3}",
      "{\"n\":\"a\",\"t\":5,\"v\":\"\\u0100\"}",    // escapes name single bytes only
      "{\"n\":\"a\",\"t\":5,\"v\":\"raw\nnewline\"}",
      "{\"n\":\"a\",\"t\":6,\"v\":1}",              // value on a group
      "{\"n\":\"a\",\"t\":0,\"c\":[]}",             // children on a typeless node
      "{\"n\":\"a\",\"t\":6,\"c\":[1]}",
      "{\"n\":\"a\",\"t\":6,\"c\":[{\"n\":\"b\",\"t\":0},]}",
      "{\"n\":\"a\",\"n\":\"b\",\"t\":6}",          // repeated key
      "{\"n\":\"a\",\"t\":6,\"x\":1}",              // unknown key
      "{\"t\":6}",
  };
  for (const char* node : badNodes)
    EXPECT_THROW(PropertySerializer::DeserializeFromString(header + node + "}"), Zentor::Core::FileException) << node;

  EXPECT_THROW(PropertySerializer::DeserializeFromString(good + "x"), Zentor::Core::FileException);
  EXPECT_NO_THROW(PropertySerializer::DeserializeFromString(header + "{\"t\":6, \"c\" : [ ] ,\"n\":\"ok\"}}"));
}

TEST(PropertySerializer, NestingIsBounded) {
  const int tooDeep = PropertySerializer::MAX_DEPTH + 1;
  std::string text = "{\"format\":\"ZentorPropertyTree\",\"version\":1,\"root\":";
  for (int i = 0; i < tooDeep; ++i) text += "{\"n\":\"\",\"t\":6,\"c\":[";
  for (int i = 0; i < tooDeep; ++i) text += "]}";
  text += "}";
  EXPECT_THROW(PropertySerializer::DeserializeFromString(text), Zentor::Core::FileException);
  // A hostile file far deeper than that does not exhaust the stack either.
  std::string hostile = "{\"format\":\"ZentorPropertyTree\",\"version\":1,\"root\":";
  for (int i = 0; i < 200000; ++i) hostile += "{\"n\":\"\",\"t\":6,\"c\":[";
  EXPECT_THROW(PropertySerializer::DeserializeFromString(hostile), Zentor::Core::FileException);

  Property root("r");
  Property* node = &root;
  for (int i = 1; i < tooDeep; ++i) node = &node->SetChild("c");
  EXPECT_THROW(PropertySerializer::SerializeToString(root), Zentor::Core::PropertyException);
  node = &root;
  for (int i = 1; i < tooDeep - 1; ++i) node = &(*node)[0];
  node->RemoveChild("c");
  EXPECT_NO_THROW(PropertySerializer::DeserializeFromString(PropertySerializer::SerializeToString(root)));
}
