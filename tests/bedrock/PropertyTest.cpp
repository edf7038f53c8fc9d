#include "Core/Interfaces/Property.h"

#include <gtest/gtest.h>

#include <climits>

using Zentor::Core::MethodIsNotApplicable;
using Zentor::Core::Property;
using Zentor::Core::PropertyException;

namespace {

Property Sample() {
  Property root("root");
  root.SetChildT("a", 1);
  Property& g = root.SetChild("g");
  g.SetChildT("x", std::string("deep"));
  g.SetChild("h").SetChildT("y", 2.5);
  return root;
}

}  // namespace

TEST(Property, SetChildTUpdatesFirstCreateChildTAppends) {
  Property p("p");
  p.SetChildT("k", 1LL);
  p.SetChildT("k", 2LL);
  ASSERT_EQ(p.Count(), 1u);
  EXPECT_EQ(p["k"].GetInt64(), 2);

  p.CreateChildT("k", 3LL);
  ASSERT_EQ(p.Count(), 2u);
  p.SetChildT("k", 4LL);
  EXPECT_EQ(p[0].GetInt64(), 4);
  EXPECT_EQ(p[1].GetInt64(), 3);

  Property& added = p.SetChildT("new", true);
  EXPECT_EQ(&added, &p[p.Count() - 1]);
}

TEST(Property, StringLiteralStaysAString) {
  Property p("p");
  p.SetChild("s", "text");
  p.SetChildT("t", "literal");
  EXPECT_EQ(p["s"].GetType(), Zentor::PT_STRING);
  EXPECT_EQ(p["t"].GetType(), Zentor::PT_STRING);
  EXPECT_EQ(p["t"].GetString(), "literal");
  p.SetChildT("i", 7);
  EXPECT_EQ(p["i"].GetType(), Zentor::PT_INT);
  p.SetChildT("u", 7u);
  EXPECT_EQ(p["u"].GetType(), Zentor::PT_INT64);
}

TEST(Property, SetChildTOnLeafRaisesAndKeepsValue) {
  Property leaf("leaf", 5);
  try {
    leaf.SetChildT("x", 1.0);
    FAIL() << "no exception";
  } catch (const MethodIsNotApplicable& e) {
    ASSERT_NE(boost::get_error_info<PropertyException::TagMethodName>(e), nullptr);
    EXPECT_EQ(*boost::get_error_info<PropertyException::TagMethodName>(e), "SetChildT");
    EXPECT_EQ(*boost::get_error_info<PropertyException::TagPropertyName>(e), "leaf");
    EXPECT_EQ(*boost::get_error_info<PropertyException::TagPropertyType>(e), Zentor::PT_INT);
    EXPECT_EQ(boost::get_error_info<Zentor::TagDescription>(e), nullptr);
    EXPECT_NE(boost::get_error_info<Zentor::TagCallStack>(e), nullptr);
  }
  EXPECT_EQ(leaf.GetInt(), 5);
  EXPECT_EQ(leaf.Count(), 0u);
  EXPECT_THROW(leaf.CreateChildT("x", 1), MethodIsNotApplicable);
  EXPECT_THROW(leaf.Add(Property("c")), MethodIsNotApplicable);
  EXPECT_THROW(Property::MakeNone("n").SetChild("c"), MethodIsNotApplicable);
}

TEST(Property, FailuresRaiseFromTheFamily) {
  const Property p = Sample();
  EXPECT_THROW(p["missing"], PropertyException);
  EXPECT_THROW(p[5], PropertyException);
  EXPECT_THROW(p[size_t(1)][size_t(2)], PropertyException);
  EXPECT_THROW(p["a"].GetString(), PropertyException);
  EXPECT_THROW(p["a"].GetDouble(), PropertyException);
  EXPECT_THROW(p.GetBool(), PropertyException);
  EXPECT_EQ(p["a"].GetInt64(), 1);  // an int reads as long long too
  try {
    (void)p["nope"];
  } catch (const Zentor::Exception& e) {
    EXPECT_NE(Zentor::GetDescription(e).find("nope"), std::string::npos);
  }
}

TEST(Property, ChildReferencesSurviveAppends) {
  Property p("p");
  Property& first = p.SetChildT("first", 1);
  for (int i = 0; i < 1000; ++i) p.CreateChildT("n" + std::to_string(i), i);
  first = 42;
  EXPECT_EQ(p["first"].GetInt(), 42);
  p.RemoveChild("n3");
  EXPECT_EQ(p.Count(), 1000u);
  EXPECT_FALSE(p.ChildExists("n3"));
  EXPECT_EQ(p.FindChild("n3"), p.end());
  EXPECT_EQ(&*p.FindChild("first"), &first);
}

TEST(Property, OperationsOnSelfAndDescendants) {
  Property root = Sample();
  const Property before = root;

  root.Add(root);
  ASSERT_EQ(root.Count(), 3u);
  EXPECT_EQ(root[2], before);

  root = Sample();
  root["g"].Add(root["g"]);
  EXPECT_EQ(root["g"].Count(), 3u);
  EXPECT_EQ(root["g"][2], before["g"]);

  root = Sample();
  root.SetChild("copy", root);
  EXPECT_EQ(root["copy"].Count(), before.Count());
  EXPECT_EQ(root["copy"]["g"], before["g"]);

  root = Sample();
  root.SetChild("g", root["g"]["h"]);  // replaces g by its own grandchild
  EXPECT_EQ(root["g"]["y"].GetDouble(), 2.5);
  EXPECT_FALSE(root["g"].ChildExists("x"));

  root = Sample();
  root.CopyDataFrom(root["g"]);
  EXPECT_EQ(root.GetName(), "root");
  EXPECT_EQ(root["x"].GetString(), "deep");
  EXPECT_FALSE(root.ChildExists("a"));

  root = Sample();
  root = root["g"]["h"];
  EXPECT_EQ(root.GetName(), "h");
  EXPECT_EQ(root["y"].GetDouble(), 2.5);

  root = Sample();
  root = std::move(root["g"]);
  EXPECT_EQ(root.GetName(), "g");
  EXPECT_EQ(root["h"]["y"].GetDouble(), 2.5);
}

TEST(Property, DeepCopyIsIndependent) {
  Property a = Sample();
  Property b = a;
  b["g"]["x"] = std::string("changed");
  EXPECT_EQ(a["g"]["x"].GetString(), "deep");
  EXPECT_NE(a, b);
}

TEST(Property, GetValueConversions) {
  Property p("p");
  p.SetChildT("i64", 4000000000LL);
  p.SetChildT("neg", -1LL);
  p.SetChildT("d", 2.75);
  p.SetChildT("s", std::string(" 12 "));
  p.SetChildT("b", true);
  p.SetChildT("junk", std::string("12abc"));

  using Zentor::Core::GetValue;
  EXPECT_EQ(GetValue<unsigned int>(p["i64"]), 4000000000u);
  EXPECT_THROW(GetValue<int>(p["i64"]), PropertyException);
  EXPECT_THROW(GetValue<unsigned int>(p["neg"]), PropertyException);
  EXPECT_EQ(GetValue<int>(p["d"]), 3);
  EXPECT_EQ(GetValue<long long>(p["s"]), 12);
  EXPECT_DOUBLE_EQ(GetValue<double>(p["i64"]), 4e9);
  EXPECT_TRUE(GetValue<bool>(p["b"]));
  EXPECT_EQ(GetValue<std::string>(p["b"]), "true");
  EXPECT_EQ(GetValue<std::string>(p["d"]), "2.75");
  EXPECT_THROW(GetValue<long long>(p["junk"]), PropertyException);
  EXPECT_THROW(GetValue<double>(p), PropertyException);
  EXPECT_THROW(GetValue<std::string>(p), PropertyException);

  std::string out = "previous";
  EXPECT_FALSE(GetValue(out, p, "missing"));
  EXPECT_EQ(out, "previous");
  EXPECT_TRUE(GetValue(out, p, "neg"));
  EXPECT_EQ(out, "-1");
}

TEST(Property, ValueToTextAndEmptiness) {
  using Zentor::Core::IsEmptyProperty;
  using Zentor::Core::PropertyValueToString;
  EXPECT_EQ(PropertyValueToString(Property("d", 0.1)), "0.1");
  EXPECT_EQ(PropertyValueToString(Property("d", 1e-300)), "1e-300");
  EXPECT_EQ(PropertyValueToString(Property("d", LLONG_MIN)), "-9223372036854775808");
  EXPECT_EQ(PropertyValueToString(Property("g")), "");

  EXPECT_TRUE(IsEmptyProperty(Property()));
  EXPECT_TRUE(IsEmptyProperty(Property::MakeNone("named")));
  EXPECT_TRUE(IsEmptyProperty(Property(std::string())));
  EXPECT_FALSE(IsEmptyProperty(Property("named")));
  Property withChild{std::string()};
  withChild.SetChild("c");
  EXPECT_FALSE(IsEmptyProperty(withChild));
  EXPECT_FALSE(IsEmptyProperty(Property(std::string(), 0)));
}
