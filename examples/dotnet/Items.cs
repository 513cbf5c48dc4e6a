// Item data for the shop scales, from C#.
//
//   mono items.exe ZQEXE-FOLDER NAME=VALUE...
//
// Loads shop.def from the zqapi folder below ZQEXE-FOLDER, fills a copy of
// record 12 (ITEM) with the values given by field name or number, and prints
// it as a data record. A refused value is reported and the program fails; a
// value replaced by the field's default is reported and the program goes on.
//
// Build: mcs -r:Quenzel.Interop.dll -out:items.exe Items.cs
using System;
using System.Text;
using Quenzel;

static class Items
{
    static int Main(string[] args)
    {
        if (args.Length < 1)
        {
            Console.Error.WriteLine("usage: items.exe ZQEXE-FOLDER NAME=VALUE...");
            return 2;
        }
        Library.SetSetting("SOFTWARE\\TORVANHOLME\\Environment", "ZQEXE", args[0].TrimEnd('/') + "/");
        Library.SetSetting("SOFTWARE\\TORVANHOLME\\Environment", "CacheFiles", "off");
        try
        {
            using (var catalogue = new Catalogue("shop.def"))
            using (var item = catalogue.Record("ITEM"))
            {
                for (int i = 1; i < args.Length; i++)
                {
                    var pair = args[i].Split(new[] { '=' }, 2);
                    int number;
                    var field = int.TryParse(pair[0], out number) ? item[number] : item[pair[0]];
                    if (field.Set(pair.Length > 1 ? pair[1] : "") == Result.RangeWarning)
                        Console.Error.WriteLine("{0}: default stored instead ({1})", field.Name, field.Rejected);
                }
                Console.WriteLine(Encoding.UTF8.GetString(item.Encode()));
            }
            return 0;
        }
        catch (QuenzelException error)
        {
            Console.Error.WriteLine(error.Message);
            return 1;
        }
    }
}
