// One field of a record (CQuenzelField). A Field names its record and its
// position; it borrows the record's handle for every call and refuses to
// work once the record's field list has changed.
using System;

namespace Quenzel
{
    /// <summary>A field of a record, valid while its record is and until the
    /// record's field list changes (CreateField of a new field, a Reset that
    /// drops fields).</summary>
    public sealed class Field
    {
        private readonly Record record;
        private readonly int index;
        private readonly int generation;

        internal Field(Record record, int index, int generation)
        {
            this.record = record;
            this.index = index;
            this.generation = generation;
        }

        private T Use<T>(Func<IntPtr, T> call)
        {
            if (generation != record.Generation)
                throw new ObjectDisposedException("field", "the record's fields changed since this field was taken");
            return record.Handle.Use(h => call(NativeMethods.quenzel_record_field_at(h, (UIntPtr)index)));
        }

        private long NumberAttribute(FieldNumber which)
        {
            long value = 0;
            Use(f => NativeMethods.quenzel_field_int_attribute(f, (int)which, out value));
            return value;
        }

        private string TextAttribute(FieldText which)
        {
            return Use(f => NativeMethods.Out((b, c) => NativeMethods.quenzel_field_text_attribute(f, (int)which, b, c)));
        }

        /// <summary>The field number.</summary>
        public int Number { get { return (int)NumberAttribute(FieldNumber.Number); } }
        /// <summary>The field's type code.</summary>
        public int Type { get { return (int)NumberAttribute(FieldNumber.Type); } }
        /// <summary>The type's name, e.g. "WEIGHT".</summary>
        public string TypeName
        {
            get
            {
                int type = Type;
                return NativeMethods.Out((b, c) => NativeMethods.quenzel_type_name(type, b, c));
            }
        }
        /// <summary>The field's length.</summary>
        public int Length { get { return (int)NumberAttribute(FieldNumber.Length); } }
        /// <summary>The lower bound, -1 when unbounded.</summary>
        public long Minimum { get { return NumberAttribute(FieldNumber.Min); } }
        /// <summary>The upper bound, -1 when unbounded.</summary>
        public long Maximum { get { return NumberAttribute(FieldNumber.Max); } }
        /// <summary>A number attribute by selector.</summary>
        public long Attribute(FieldNumber which) { return NumberAttribute(which); }
        /// <summary>A text attribute by selector.</summary>
        public string Attribute(FieldText which) { return TextAttribute(which); }
        /// <summary>The field's name.</summary>
        public string Name { get { return TextAttribute(FieldText.Name); } }
        /// <summary>The stored UTF-8 value, unformatted.</summary>
        public string Value { get { return TextAttribute(FieldText.Value); } }
        /// <summary>The latest refused text, or "old:new" after a Range Warning.</summary>
        public string Rejected { get { return TextAttribute(FieldText.Rejected); } }
        /// <summary>The value list of the definition.</summary>
        public string ValueList { get { return TextAttribute(FieldText.ValueList); } }
        /// <summary>The field's flags.</summary>
        public FieldFlag Flags { get { return (FieldFlag)Use(f => NativeMethods.quenzel_field_flags(f)); } }

        /// <summary>Whether the field is marked supplied.</summary>
        public bool Supplied
        {
            get { return (Flags & FieldFlag.Supplied) != 0; }
            set { Use(f => NativeMethods.quenzel_field_set_supplied(f, value ? 1 : 0)); }
        }

        /// <summary>SetTreatAsText: the field is written as text and dropped by Reset.</summary>
        public void TreatAsText() { Use(f => NativeMethods.quenzel_field_set_treat_as_text(f)); }

        /// <summary>The field back to its default.</summary>
        public void Reset() { Use(f => NativeMethods.quenzel_field_reset(f)); }

        /// <summary>SetFieldConversionDetails.</summary>
        public void SetConversionDetails(bool conversionOn, int scaleMs, int scaleSf, int hostMs, int hostSf, int totalsMs,
                                         bool convertField, bool flagA, bool flagB)
        {
            Use(f => NativeMethods.quenzel_field_set_conversion_details(
                    f, conversionOn ? 1 : 0, scaleMs, scaleSf, hostMs, hostSf, totalsMs, convertField ? 1 : 0, flagA ? 1 : 0,
                    flagB ? 1 : 0));
        }

        // Setters give Result.None or Result.RangeWarning and throw for every
        // other result: the refused value stays in Rejected.
        private Result Checked(int result)
        {
            if (result == (int)Result.None || result == (int)Result.RangeWarning)
                return (Result)result;
            NativeMethods.CheckLayer(result, "field " + Number);
            throw new QuenzelException(result, NativeMethods.ResultName(result), Name, Number, Rejected);
        }

        /// <summary>Sets the value from text (UTF-8 in, whatever the code page).
        /// Returns None, or RangeWarning when the field's default was stored
        /// instead (Rejected then holds "old:new"); throws QuenzelException for a
        /// refused value.</summary>
        public Result Set(string text, bool privateOverride = false)
        {
            var bytes = NativeMethods.In(text ?? "");
            return Checked(Use(f => NativeMethods.quenzel_field_set_text_utf8(f, bytes, (UIntPtr)(bytes.Length - 1),
                                                                              privateOverride ? 1 : 0)));
        }

        /// <summary>Sets the value from bytes in the definition's code page.</summary>
        public Result SetBytes(byte[] text, bool privateOverride = false)
        {
            text = text ?? new byte[0];
            return Checked(Use(f => NativeMethods.quenzel_field_set_text(f, text, (UIntPtr)text.Length, privateOverride ? 1 : 0)));
        }

        /// <summary>Sets a number (weights in the host's units).</summary>
        public Result Set(long value, bool privateOverride = false)
        {
            return Checked(Use(f => NativeMethods.quenzel_field_set_int64_utf8(f, value, privateOverride ? 1 : 0)));
        }

        /// <summary>Sets a number from a float, cut toward zero.</summary>
        public Result Set(float value, bool privateOverride = false)
        {
            return Checked(Use(f => NativeMethods.quenzel_field_set_float_utf8(f, value, privateOverride ? 1 : 0)));
        }

        /// <summary>Sets a single character (a byte of the code page).</summary>
        public Result SetChar(byte value, bool privateOverride = false)
        {
            return Checked(Use(f => NativeMethods.quenzel_field_set_char_utf8(f, value, privateOverride ? 1 : 0)));
        }

        /// <summary>The value as text, formatted as the data record carries it.</summary>
        public string Text
        {
            get
            {
                int result = 0;
                var bytes = Use(f => NativeMethods.OutBytes(
                                    (byte[] b, UIntPtr c, out UIntPtr n) => NativeMethods.quenzel_field_get_text_utf8(f, b, c, out n),
                                    out result));
                Checked(result);
                return NativeMethods.Utf8.GetString(bytes);
            }
        }

        /// <summary>The value as bytes in the definition's code page.</summary>
        public byte[] Bytes
        {
            get
            {
                int result = 0;
                var bytes = Use(f => NativeMethods.OutBytes(
                                    (byte[] b, UIntPtr c, out UIntPtr n) => NativeMethods.quenzel_field_get_text(f, b, c, out n),
                                    out result));
                Checked(result);
                return bytes;
            }
        }

        /// <summary>The value as a number (weights in the host's units).</summary>
        public long ToInt64()
        {
            long value = 0;
            Checked(Use(f => NativeMethods.quenzel_field_get_int64_utf8(f, out value)));
            return value;
        }

        /// <summary>The value as the nearest float.</summary>
        public float ToSingle()
        {
            float value = 0;
            Checked(Use(f => NativeMethods.quenzel_field_get_float_utf8(f, out value)));
            return value;
        }

        /// <summary>The value as a single character.</summary>
        public byte ToChar()
        {
            byte value = 0;
            Checked(Use(f => NativeMethods.quenzel_field_get_char_utf8(f, out value)));
            return value;
        }
    }
}
