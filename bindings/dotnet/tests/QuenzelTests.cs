// The C# layer against the library: the shop example's catalogue, values
// that are refused or replaced, the buffer protocol with long texts, and the
// lifetimes of handles.
using System;
using System.IO;
using System.Linq;
using System.Text;
using NUnit.Framework;

namespace Quenzel.Tests
{
    [TestFixture]
    public class QuenzelTests
    {
        private static readonly string Examples = Path.Combine(
            Environment.GetEnvironmentVariable("QUENZEL_SOURCE_DIR") ?? "../../..", "examples");
        private const string Environ = "SOFTWARE\\TORVANHOLME\\Environment";
        private Catalogue catalogue;
        private Record item;

        [SetUp]
        public void Load()
        {
            Library.SetSetting(Environ, "ZQEXE", Examples + "/");
            Library.SetSetting(Environ, "Codepage", "1252");
            Library.SetSetting(Environ, "CacheFiles", "off");
            catalogue = new Catalogue("shop.def");
            item = catalogue.Record(12);
        }

        [TearDown]
        public void Free()
        {
            item.Dispose();
            catalogue.Dispose();
            Library.ClearSettings();
        }

        [Test]
        public void LibraryAndCatalogue()
        {
            Assert.AreEqual(Library.InterfaceVersion, Library.LoadedInterfaceVersion);
            Assert.AreEqual(typeof(Library).Assembly.GetName().Version.ToString(3), Library.Version);
            Assert.AreEqual("Range Warning", Library.ResultName(Result.RangeWarning));
            Assert.AreEqual(18, catalogue.Count);
            Assert.AreEqual(new[] { 1, 8, 9 }, catalogue.RecordNumbers.OrderBy(n => n).Take(3).ToArray());
            StringAssert.EndsWith("shop.def", catalogue.DefinitionPath);
            Assert.IsTrue(catalogue.Contains("ITEM") && catalogue.Contains(12) && !catalogue.Contains(999));
            Assert.AreEqual(Result.NotFound, Assert.Throws<QuenzelException>(() => catalogue.Record(999)).Result);
            Assert.AreEqual(new[] { "ITEM", "SEND" }, new[] { item.Name, item.Action });
            Assert.AreEqual(new[] { "PLU" }, item.KeyNames.ToArray());
        }

        [Test]
        public void LoadFailureTellsWhere()
        {
            var error = Assert.Throws<LoadException>(() => new Catalogue("missing.def"));
            Assert.AreEqual(2, error.Stop.Kind);
            StringAssert.EndsWith("missing.def", error.Path);
        }

        [Test]
        public void EncodesAndDecodesRecord12()
        {
            Assert.AreEqual(Result.None, item["PLU"].Set(4711));
            item["DESCRIPTION"].Set("Café crème");
            item[5].Set("1299");
            var data = Encoding.UTF8.GetString(item.Encode());
            StringAssert.StartsWith("12 1 4 \"4711\" ", data);
            StringAssert.Contains(" 3 12 \"Café crème\" 5 4 \"1299\" ", data);  // UTF-8 bytes counted

            using (var copy = catalogue.Record("ITEM"))
            {
                int consumed;
                item["DESCRIPTION"].Set("Gouda mild");  // a reader takes the definition's code page
                var bytes = item.Encode();
                Assert.IsTrue(copy.Decode(bytes, out consumed));
                Assert.AreEqual(bytes.Length, consumed);
                Assert.AreEqual(4711, copy["PLU"].ToInt64());
                StringAssert.StartsWith("Gouda mild", copy["DESCRIPTION"].Text);
                Assert.IsFalse(copy.Decode(Encoding.ASCII.GetBytes("12 3 9 \"abc\" 0 "), out consumed));
            }
        }

        [TestCase("PLU", "0", Result.RangeError, "0")]
        [TestCase("PRICE", "12a", Result.InvalidNumeric, "12a")]
        [TestCase("EAN", "12345678901234", Result.LengthError, "12345678901234")]
        [TestCase("FONT", "Z", Result.RangeError, "Z")]
        public void RefusedValuesThrow(string name, string value, Result result, string rejected)
        {
            var error = Assert.Throws<QuenzelException>(() => item[name].Set(value));
            Assert.AreEqual(result, error.Result);
            Assert.AreEqual(new object[] { name, item[name].Number, rejected },
                            new object[] { error.Field, error.FieldNumber, error.Rejected });
            StringAssert.StartsWith(Library.ResultName(result) + ": field ", error.Message);
        }

        [Test]
        public void RangeWarningIsReturnedNotThrown()
        {
            Library.SetSetting("SOFTWARE\\TORVANHOLME\\DRIVER\\QUENZEL", "DEFAULTDATAMODE", "true");
            using (var status = catalogue.Record("SCALESTATUS"))
            {
                var online = status[2];
                Assert.AreEqual(Result.RangeWarning, online.Set("X"));
                Assert.AreEqual("X:N", online.Rejected);
                Assert.AreEqual("N", online.Text);
            }
        }

        [Test]
        public void FormsOfValuesAndAttributes()
        {
            item.SetHostUnits(1, -2);
            var tare = item["TARE"];
            tare.Set(125L);
            Assert.AreEqual(new object[] { "1250", 125L, "WEIGHT", "0-99999", -1L },
                            new object[] { tare.Value, tare.ToInt64(), tare.TypeName, tare.ValueList, tare.Maximum });
            Assert.AreEqual(-2, item.Measurement(Measurement.DestinationScalingFactor));
            Assert.AreEqual(FieldFlag.Numeric, tare.Flags & FieldFlag.Numeric);
            tare.Set(2.9f);
            Assert.AreEqual(2.0f, tare.ToSingle());
            item["FONT"].SetChar((byte)'C');
            Assert.AreEqual((byte)'C', item["FONT"].ToChar());
            item["DESCRIPTION"].SetBytes(new byte[] { 0x43, 0x61, 0x66, 0xe9 });  // code page 1252
            StringAssert.StartsWith("Café", item["DESCRIPTION"].Text);
            Assert.AreEqual(0xe9, item["DESCRIPTION"].Bytes[3]);
            var notes = item["NOTES"];  // PRIVATE: only the override changes it
            notes.Set("kept");
            Assert.AreEqual("", notes.Text.Trim());
            notes.Set("changed", privateOverride: true);
            Assert.AreEqual("changed", notes.Text.Trim());
            Assert.AreEqual(Result.ConvertFail,
                            Assert.Throws<QuenzelException>(() => item["DESCRIPTION"].ToInt64()).Result);
        }

        [Test]
        public void LongTextsGrowTheBuffer()
        {
            using (var ingredients = catalogue.Record(8))
            {
                var text = string.Concat(Enumerable.Repeat("Milch, Salz, Lab. ", 40)).Substring(0, 700) + "€";
                ingredients["INGREDIENTS"].Set(text);
                Assert.AreEqual(text, ingredients["INGREDIENTS"].Value);
                Assert.Greater(ingredients.Encode().Length, 700);
            }
        }

        [Test]
        public void LifetimesOfHandles()
        {
            var record = catalogue.Record("ITEM");
            var plu = record["PLU"];
            var extra = record.CreateField("EXTRA");
            Assert.Throws<ObjectDisposedException>(() => plu.Set(1));
            extra.TreatAsText();
            var again = record["PLU"];
            record.Reset();  // drops EXTRA again
            Assert.Throws<ObjectDisposedException>(() => again.Set(1));
            Assert.AreEqual(24, record.FieldCount);
            Assert.AreEqual(24, record.Fields.Count());
            using (var copy = record.Copy())
            {
                copy["PLU"].Set(1);
                Assert.AreNotEqual(record["PLU"].Text, copy["PLU"].Text);
                record.Dispose();
                Assert.AreEqual(12, copy.Number);  // a copy outlives its source
            }
            Assert.Throws<ObjectDisposedException>(() => { var n = record.Number; });
            catalogue.Dispose();
            Assert.Throws<ObjectDisposedException>(() => catalogue.Record(12));
        }
    }
}
