// Written by bindings/generate.py from quenzel_c.h: edit the header, then run
// `python3 bindings/generate.py`. One P/Invoke declaration per entry point; texts go
// in as zero-terminated UTF-8 byte arrays and come out through the caller's
// buffer (see Native.cs). The members mean what quenzel_c.h says of them.
#pragma warning disable 1591
using System;
using System.Runtime.InteropServices;

namespace Quenzel
{
    /// <summary>The values of the C interface's QuenzelResult.</summary>
    public enum Result
    {
        None = 0,
        RangeError = 1,
        RangeWarning = 2,
        ConvertFail = 3,
        LengthError = 4,
        InvalidNumeric = 5,
        NotFound = 6,
        InvalidArgument = -2,
        BufferTooSmall = -3,
        OutOfMemory = -4,
        InternalError = -5,
    }

    /// <summary>The values of the C interface's QuenzelMeasurement.</summary>
    public enum Measurement
    {
        SourceBaseWeightUnits = 0,
        SourceTotalsBaseWeightUnits = 1,
        NetWeightBaseWeightUnits = 2,
        PriceUnits = 3,
        SourceScalingFactor = 4,
        SourceTotalsScalingFactor = 5,
        NetWeightScalingFactor = 6,
        BackwardCompatibleMode = 7,
        DestinationBaseWeightUnits = 8,
        DestinationScalingFactor = 9,
        ConversionOn = 10,
        UomFlag = 11,
        PriceBaseFlag = 12,
        RangeWarningFlag = 13,
    }

    /// <summary>The values of the C interface's QuenzelFieldNumber.</summary>
    public enum FieldNumber
    {
        Number = 0,
        Type = 1,
        Length = 2,
        Min = 3,
        Max = 4,
        Default = 5,
        PseudoNumber = 6,
        SplitCount1 = 7,
        SplitCount2 = 8,
        RecordNumber = 9,
        HostMs = 10,
        HostSf = 11,
        ScaleMs = 12,
        ScaleSf = 13,
    }

    /// <summary>The values of the C interface's QuenzelFieldText.</summary>
    public enum FieldText
    {
        Name = 0,
        Value = 1,
        Rejected = 2,
        ValueList = 3,
        ValidChars = 4,
        InitValue = 5,
        Comment = 6,
        Key = 7,
        KeyPosition = 8,
        CodePage = 9,
        RecordName = 10,
    }

    /// <summary>The values of the C interface's QuenzelFieldFlag.</summary>
    public enum FieldFlag
    {
        Private = 1,
        NoPartial = 2,
        DelCtlCh = 4,
        Supplied = 8,
        TreatAsText = 16,
        NoPad = 32,
        SendOrDelete = 64,
        ConvertField = 128,
        ConversionOn = 256,
        HostUnitsFixed = 512,
        Numeric = 1024,
        Text = 2048,
        SingleCharacter = 4096,
    }

    /// <summary>The C interface's QuenzelReadStop.</summary>
    [StructLayout(LayoutKind.Sequential)]
    public struct ReadStop
    {
        public int Kind;
        public int Line;
        public int Token;
        public int RecordNumber;
        public int FieldNumber;
    }

    /// <summary>The C interface's QuenzelRecordStop.</summary>
    [StructLayout(LayoutKind.Sequential)]
    public struct RecordStop
    {
        public int Fault;
        public int FieldNumber;
        public int Result;
        public UIntPtr ElementOffset;
        public UIntPtr Consumed;
        public UIntPtr Next;
    }

    internal static partial class NativeMethods
    {
        /// <summary>The interface version these declarations were written for.</summary>
        internal const int InterfaceVersion = 2;
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_interface_version();
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern UIntPtr quenzel_library_version(byte[] buffer, UIntPtr capacity);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern UIntPtr quenzel_result_name(int result, byte[] buffer, UIntPtr capacity);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern UIntPtr quenzel_type_name(int type, byte[] buffer, UIntPtr capacity);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern UIntPtr quenzel_action_name(int action, byte[] buffer, UIntPtr capacity);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_set_setting(byte[] key, byte[] value_name, byte[] value);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern void quenzel_clear_settings();
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern UIntPtr quenzel_last_read_error(out ReadStop stop, byte[] path, UIntPtr capacity);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern IntPtr quenzel_catalogue_create();
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern void quenzel_catalogue_free(IntPtr catalogue);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_catalogue_initialise(IntPtr catalogue, byte[] file_name, byte[] log_name, byte[] reserved, byte[] required_version);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_catalogue_initialise_from_path(IntPtr catalogue, byte[] path, byte[] log_name);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern IntPtr quenzel_catalogue_record(IntPtr catalogue, int number);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern IntPtr quenzel_catalogue_record_by_name(IntPtr catalogue, byte[] name);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern UIntPtr quenzel_catalogue_record_count(IntPtr catalogue);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern IntPtr quenzel_catalogue_record_at(IntPtr catalogue, UIntPtr index);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern UIntPtr quenzel_catalogue_definition_path(IntPtr catalogue, byte[] buffer, UIntPtr capacity);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern IntPtr quenzel_record_copy(IntPtr record);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern void quenzel_record_free(IntPtr record);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_record_number(IntPtr record);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_record_action(IntPtr record);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern UIntPtr quenzel_record_name(IntPtr record, byte[] buffer, UIntPtr capacity);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern UIntPtr quenzel_record_key_name(IntPtr record, int position, byte[] buffer, UIntPtr capacity);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern UIntPtr quenzel_record_field_count(IntPtr record);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern IntPtr quenzel_record_field_at(IntPtr record, UIntPtr index);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern IntPtr quenzel_record_find_field(IntPtr record, int number);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern IntPtr quenzel_record_find_field_by_name(IntPtr record, byte[] name);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern IntPtr quenzel_record_create_find_field(IntPtr record, int number);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern IntPtr quenzel_record_create_find_field_by_name(IntPtr record, byte[] name);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_record_check_key_field_supplied(IntPtr record);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_record_reset(IntPtr record);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_record_weight_conversion_on(IntPtr record, int on);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_record_driver_set_field_weight_details(IntPtr record, int field_number, int host_ms, int host_sf);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_record_driver_set_record_weight_details(IntPtr record, int host_ms, int host_sf, int backward_compatible, int unused, int uom_on);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_record_get_price_base(IntPtr record);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_record_get_uom_field_value(IntPtr record);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_record_measurement(IntPtr record, int which, out int value);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_record_write(IntPtr record, byte[] buffer, UIntPtr capacity, out UIntPtr needed);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_record_read(IntPtr record, byte[] data, UIntPtr size, out UIntPtr consumed);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_record_read_stop(IntPtr record, byte[] data, UIntPtr size, out RecordStop stop);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_set_text(IntPtr field, byte[] text, UIntPtr length, int private_override);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_set_text_utf8(IntPtr field, byte[] text, UIntPtr length, int private_override);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_get_text(IntPtr field, byte[] buffer, UIntPtr capacity, out UIntPtr needed);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_get_text_utf8(IntPtr field, byte[] buffer, UIntPtr capacity, out UIntPtr needed);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_set_int64(IntPtr field, long value, int private_override);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_set_int64_utf8(IntPtr field, long value, int private_override);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_get_int64(IntPtr field, out long value);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_get_int64_utf8(IntPtr field, out long value);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_set_char(IntPtr field, byte value, int private_override);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_set_char_utf8(IntPtr field, byte value, int private_override);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_get_char(IntPtr field, out byte value);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_get_char_utf8(IntPtr field, out byte value);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_set_float(IntPtr field, float value, int private_override);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_set_float_utf8(IntPtr field, float value, int private_override);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_get_float(IntPtr field, out float value);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_get_float_utf8(IntPtr field, out float value);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_set_conversion_details(IntPtr field, int conversion_on, int scale_ms, int scale_sf, int host_ms, int host_sf, int totals_ms, int convert_field, int flag_a, int flag_b);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_reset(IntPtr field);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_set_supplied(IntPtr field, int supplied);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_set_treat_as_text(IntPtr field);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern int quenzel_field_int_attribute(IntPtr field, int which, out long value);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern UIntPtr quenzel_field_text_attribute(IntPtr field, int which, byte[] buffer, UIntPtr capacity);
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        internal static extern uint quenzel_field_flags(IntPtr field);
    }
}
