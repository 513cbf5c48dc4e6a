// Library-wide calls and the catalogue of record definitions (CQuenzelFile).
using System;
using System.Collections.Generic;

namespace Quenzel
{
    /// <summary>The loaded library and the settings of this process.</summary>
    public static class Library
    {
        /// <summary>The interface version these declarations were written for.</summary>
        public const int InterfaceVersion = NativeMethods.InterfaceVersion;

        /// <summary>The interface version of the loaded library.</summary>
        public static int LoadedInterfaceVersion { get { return NativeMethods.quenzel_interface_version(); } }

        /// <summary>The library's version, e.g. "3.1.204".</summary>
        public static string Version
        {
            get { return NativeMethods.Out((buffer, capacity) => NativeMethods.quenzel_library_version(buffer, capacity)); }
        }

        /// <summary>The library's name of a result code.</summary>
        public static string ResultName(Result result) { return NativeMethods.ResultName((int)result); }

        /// <summary>Lays a registry value over the registry for this process:
        /// HKEY_LOCAL_MACHINE\key, value valueName.</summary>
        public static void SetSetting(string key, string valueName, string value)
        {
            NativeMethods.CheckLayer(NativeMethods.quenzel_set_setting(NativeMethods.In(key), NativeMethods.In(valueName),
                                                                       NativeMethods.In(value)),
                                     "setting " + key + "\\" + valueName);
        }

        /// <summary>Drops every value SetSetting laid over the registry.</summary>
        public static void ClearSettings() { NativeMethods.quenzel_clear_settings(); }
    }

    /// <summary>The record definitions of one definition file. Records taken
    /// from it are copies that the caller owns and may keep after it is
    /// disposed.</summary>
    public sealed class Catalogue : IDisposable
    {
        private readonly CatalogueHandle handle = new CatalogueHandle();

        /// <summary>Loads <paramref name="fileName"/>, found as the library finds
        /// it (the zqapi folder below the registry's ZQEXE folder). Throws
        /// LoadException when it does not load.</summary>
        public Catalogue(string fileName, string logName = "", string requiredVersion = "")
        {
            handle.Take(NativeMethods.quenzel_catalogue_create(), "quenzel_catalogue_create");
            var loaded = handle.Use(h => NativeMethods.quenzel_catalogue_initialise(
                                        h, NativeMethods.In(fileName), NativeMethods.In(logName), null,
                                        NativeMethods.In(requiredVersion)));
            if (NativeMethods.CheckLayer(loaded, "loading " + fileName) != 1)
            {
                ReadStop stop = new ReadStop();
                string path = NativeMethods.Out((buffer, capacity) =>
                                                    NativeMethods.quenzel_last_read_error(out stop, buffer, capacity));
                handle.Dispose();
                throw new LoadException(path.Length > 0 ? path : fileName, stop);
            }
        }

        /// <summary>Frees the catalogue and its templates.</summary>
        public void Dispose() { handle.Dispose(); }

        /// <summary>The path the definitions were read from.</summary>
        public string DefinitionPath
        {
            get
            {
                return handle.Use(h => NativeMethods.Out((buffer, capacity) =>
                                                             NativeMethods.quenzel_catalogue_definition_path(h, buffer, capacity)));
            }
        }

        /// <summary>The number of record definitions.</summary>
        public int Count
        {
            get { return (int)handle.Use(h => NativeMethods.quenzel_catalogue_record_count(h)).ToUInt64(); }
        }

        /// <summary>The record numbers, in the order of the catalogue's keys.</summary>
        public IList<int> RecordNumbers
        {
            get
            {
                return handle.Use(h => {
                    var numbers = new List<int>();
                    for (ulong index = 0; index < NativeMethods.quenzel_catalogue_record_count(h).ToUInt64(); index++)
                        numbers.Add(NativeMethods.quenzel_record_number(
                            NativeMethods.quenzel_catalogue_record_at(h, (UIntPtr)index)));
                    return numbers;
                });
            }
        }

        /// <summary>Whether a record of this number is defined.</summary>
        public bool Contains(int number)
        {
            return handle.Use(h => NativeMethods.quenzel_catalogue_record(h, number)) != IntPtr.Zero;
        }

        /// <summary>Whether a record of this name is defined.</summary>
        public bool Contains(string name)
        {
            return handle.Use(h => NativeMethods.quenzel_catalogue_record_by_name(h, NativeMethods.In(name))) != IntPtr.Zero;
        }

        /// <summary>A working copy of the record with this number.</summary>
        public Record Record(int number)
        {
            return Copy(h => NativeMethods.quenzel_catalogue_record(h, number), number.ToString());
        }

        /// <summary>A working copy of the record with this name.</summary>
        public Record Record(string name)
        {
            return Copy(h => NativeMethods.quenzel_catalogue_record_by_name(h, NativeMethods.In(name)), name);
        }

        private Record Copy(Func<IntPtr, IntPtr> find, string key)
        {
            return handle.Use(h => {
                var template = find(h);
                if (template == IntPtr.Zero)
                    throw new QuenzelException((int)Result.NotFound, "Not Found", "no record " + key);
                return Quenzel.Record.CopyOf(template);
            });
        }
    }
}
