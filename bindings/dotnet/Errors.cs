// The exceptions of the C# layer. A refused value, a failed load and a
// misuse of the interface throw; a Range Warning does not (the setter
// returns Result.RangeWarning, and Field.Rejected tells what was replaced).
using System;

namespace Quenzel
{
    /// <summary>A result of the library other than None and Range Warning.</summary>
    public class QuenzelException : Exception
    {
        /// <summary>The result code (<see cref="Quenzel.Result"/>).</summary>
        public Result Result { get; private set; }

        /// <summary>The library's name of the result, e.g. "Range Error".</summary>
        public string ResultName { get; private set; }

        /// <summary>The field's name, or null when no field was involved.</summary>
        public string Field { get; private set; }

        /// <summary>The field's number, or 0.</summary>
        public int FieldNumber { get; private set; }

        /// <summary>The text the field refused (its Rejected attribute), or null.</summary>
        public string Rejected { get; private set; }

        internal QuenzelException(int result, string resultName, string message) : base(message)
        {
            Result = (Result)result;
            ResultName = resultName;
        }

        internal QuenzelException(int result, string resultName, string field, int fieldNumber,
                                  string rejected)
            : base(string.Format("{0}: field {1} ({2}): rejected \"{3}\"", resultName, fieldNumber,
                                 field, rejected))
        {
            Result = (Result)result;
            ResultName = resultName;
            Field = field;
            FieldNumber = fieldNumber;
            Rejected = rejected;
        }
    }

    /// <summary>The definition file did not load; the members tell where the
    /// reader stopped.</summary>
    public class LoadException : QuenzelException
    {
        private static readonly string[] Kinds = {
            "none", "UTF-16 file", "cannot open", "bad header line", "bad action word",
            "bad field line", "read error"
        };

        /// <summary>The definition file's path.</summary>
        public string Path { get; private set; }

        /// <summary>Where the reader stopped (kind, line, token, record and field).</summary>
        public ReadStop Stop { get; private set; }

        internal LoadException(string path, ReadStop stop)
            : base((int)Result.NotFound, "Not Found",
                   string.Format("cannot load {0}: {1} (line {2}, token {3}, record {4}, field {5})",
                                 path, stop.Kind >= 0 && stop.Kind < Kinds.Length ? Kinds[stop.Kind]
                                                                                   : "kind " + stop.Kind,
                                 stop.Line, stop.Token, stop.RecordNumber, stop.FieldNumber))
        {
            Path = path;
            Stop = stop;
        }
    }
}
