// A working copy of a record (CQuenzelRecord), owned by the caller.
using System;
using System.Collections.Generic;

namespace Quenzel
{
    /// <summary>A record the caller owns: fields by number or name, the data
    /// record's text, the host's weight units.</summary>
    public sealed class Record : IDisposable
    {
        internal readonly RecordHandle Handle = new RecordHandle();

        // Grows whenever the field list may have changed, which ends the
        // validity of every Field taken before.
        internal int Generation;

        private Record() { }

        internal static Record CopyOf(IntPtr source)
        {
            var record = new Record();
            record.Handle.Take(NativeMethods.quenzel_record_copy(source), "quenzel_record_copy");
            return record;
        }

        /// <summary>A copy of this record, with its values.</summary>
        public Record Copy() { return Handle.Use(h => CopyOf(h)); }

        /// <summary>Frees the record; its Field objects become unusable.</summary>
        public void Dispose() { Handle.Dispose(); }

        /// <summary>The record number.</summary>
        public int Number { get { return Handle.Use(h => NativeMethods.quenzel_record_number(h)); } }

        /// <summary>The record name, may be empty.</summary>
        public string Name
        {
            get { return Handle.Use(h => NativeMethods.Out((b, c) => NativeMethods.quenzel_record_name(h, b, c))); }
        }

        /// <summary>The action word ("SEND", ...), empty when there is none.</summary>
        public string Action
        {
            get
            {
                var code = Handle.Use(h => NativeMethods.quenzel_record_action(h));
                return NativeMethods.Out((b, c) => NativeMethods.quenzel_action_name(code, b, c));
            }
        }

        /// <summary>The names of the key fields F1 to F3 that the record has.</summary>
        public IList<string> KeyNames
        {
            get
            {
                var names = new List<string>();
                for (int position = 1; position <= 3; position++)
                {
                    var name = Handle.Use(h => NativeMethods.Out(
                                              (b, c) => NativeMethods.quenzel_record_key_name(h, position, b, c)));
                    if (name.Length > 0)
                        names.Add(name);
                }
                return names;
            }
        }

        /// <summary>The number of fields.</summary>
        public int FieldCount
        {
            get { return (int)Handle.Use(h => NativeMethods.quenzel_record_field_count(h)).ToUInt64(); }
        }

        /// <summary>The fields in definition order.</summary>
        public IEnumerable<Field> Fields
        {
            get
            {
                int count = FieldCount, generation = Generation;
                for (int index = 0; index < count; index++)
                    yield return new Field(this, index, generation);
            }
        }

        /// <summary>The field with this number; throws Not Found.</summary>
        public Field this[int number] { get { return Find(number.ToString(), h => NativeMethods.quenzel_record_find_field(h, number)); } }

        /// <summary>The field with this name; throws Not Found.</summary>
        public Field this[string name]
        {
            get { return Find(name, h => NativeMethods.quenzel_record_find_field_by_name(h, NativeMethods.In(name))); }
        }

        /// <summary>Whether the record has a field of this number.</summary>
        public bool HasField(int number) { return Handle.Use(h => NativeMethods.quenzel_record_find_field(h, number)) != IntPtr.Zero; }

        /// <summary>Whether the record has a field of this name.</summary>
        public bool HasField(string name)
        {
            return Handle.Use(h => NativeMethods.quenzel_record_find_field_by_name(h, NativeMethods.In(name))) != IntPtr.Zero;
        }

        /// <summary>The field with this number, created as a STRING field when the
        /// record lacks it (which ends the validity of Fields taken before).</summary>
        public Field CreateField(int number)
        {
            return Create(h => NativeMethods.quenzel_record_create_find_field(h, number));
        }

        /// <summary>The field with this name, created when the record lacks it.</summary>
        public Field CreateField(string name)
        {
            return Create(h => NativeMethods.quenzel_record_create_find_field_by_name(h, NativeMethods.In(name)));
        }

        private Field Create(Func<IntPtr, IntPtr> create)
        {
            int count = FieldCount;
            Handle.Use(create);
            if (FieldCount != count)
                Generation++;
            return Find("", create);
        }

        private Field Find(string key, Func<IntPtr, IntPtr> find)
        {
            return Handle.Use(h => {
                var found = find(h);
                if (found == IntPtr.Zero)
                    throw new QuenzelException((int)Result.NotFound, "Not Found",
                                               "record " + NativeMethods.quenzel_record_number(h) + " has no field " + key);
                ulong count = NativeMethods.quenzel_record_field_count(h).ToUInt64();
                for (ulong index = 0; index < count; index++)
                    if (NativeMethods.quenzel_record_field_at(h, (UIntPtr)index) == found)
                        return new Field(this, (int)index, Generation);
                throw new QuenzelException((int)Result.InternalError, "Internal Error", "field " + key + " has no position");
            });
        }

        /// <summary>Every field back to its default; fields marked text-only are dropped.</summary>
        public void Reset()
        {
            int count = FieldCount;
            Handle.Use(h => NativeMethods.quenzel_record_reset(h));
            if (FieldCount != count)
                Generation++;
        }

        /// <summary>CheckKeyFieldSupplied: a key field is marked supplied.</summary>
        public bool KeySupplied { get { return Handle.Use(h => NativeMethods.quenzel_record_check_key_field_supplied(h)) == 1; } }

        /// <summary>The host's weight units for the whole record (measurement system
        /// 1 to 3 and scaling factor), handed on to the weight fields at once so
        /// that values set afterwards convert.</summary>
        public void SetHostUnits(int system, int factor, bool backwardCompatible = false, bool uom = true)
        {
            Handle.Use(h => {
                NativeMethods.quenzel_record_driver_set_record_weight_details(h, system, factor, backwardCompatible ? 1 : 0, 0,
                                                                              uom ? 1 : 0);
                UIntPtr needed;
                return NativeMethods.quenzel_record_write(h, null, UIntPtr.Zero, out needed);
            });
        }

        /// <summary>The host's weight units of one field.</summary>
        public void SetFieldHostUnits(int fieldNumber, int system, int factor)
        {
            Handle.Use(h => NativeMethods.quenzel_record_driver_set_field_weight_details(h, fieldNumber, system, factor));
        }

        /// <summary>WeightConversionOn.</summary>
        public void WeightConversion(bool on) { Handle.Use(h => NativeMethods.quenzel_record_weight_conversion_on(h, on ? 1 : 0)); }

        /// <summary>GetPriceBase.</summary>
        public bool PriceBase { get { return Handle.Use(h => NativeMethods.quenzel_record_get_price_base(h)) == 1; } }

        /// <summary>GetUOMFieldValue.</summary>
        public bool UomValue { get { return Handle.Use(h => NativeMethods.quenzel_record_get_uom_field_value(h)) == 1; } }

        /// <summary>One measurement setting.</summary>
        public int Measurement(Measurement which)
        {
            int value = 0;
            NativeMethods.CheckLayer(Handle.Use(h => NativeMethods.quenzel_record_measurement(h, (int)which, out value)),
                                     "measurement " + which);
            return value;
        }

        /// <summary>The record as one data record (bytes as they go to the driver).</summary>
        public byte[] Encode()
        {
            int result = 0;
            var data = Handle.Use(h => NativeMethods.OutBytes(
                                      (byte[] b, UIntPtr c, out UIntPtr n) => NativeMethods.quenzel_record_write(h, b, c, out n),
                                      out result));
            NativeMethods.CheckLayer(result, "writing record");
            return data;
        }

        /// <summary>Reads one data record from <paramref name="data"/> into this record
        /// (not reset first) and returns the bytes read; false when it does not
        /// read, with <paramref name="consumed"/> where the reader stopped.</summary>
        public bool Decode(byte[] data, out int consumed)
        {
            UIntPtr taken = UIntPtr.Zero;
            int read = Handle.Use(h => NativeMethods.quenzel_record_read(h, data, (UIntPtr)(data == null ? 0 : data.Length),
                                                                         out taken));
            consumed = (int)taken.ToUInt64();
            return NativeMethods.CheckLayer(read, "reading a data record") == 1;
        }
    }
}
