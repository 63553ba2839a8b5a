' The data library driven as a script drives it: the system's script host, late binding
' only, objects from CreateObject after regsvr32. Every error a script can raise is checked
' by number, description and source, under On Error Resume Next.
'
'     cscript //nologo tessel_suite.vbs      (exit status: the number of failed checks)
Option Explicit
On Error Resume Next

Const RUNTIME = "Microsoft VBScript runtime error"

Dim failures, checks, section
failures = 0
checks = 0

Sub Fail(what)
    failures = failures + 1
    WScript.Echo "FAIL " & section & ": " & what
End Sub

' A value of the expected subtype and value.
Sub Check(what, actual, expected)
    checks = checks + 1
    If Err.Number <> 0 Then
        Fail what & ": unexpected error " & Err.Number & " " & Err.Description & " (" & Err.Source & ")"
        Err.Clear
    ElseIf VarType(actual) <> VarType(expected) Then
        Fail what & ": type " & TypeName(actual) & ", expected " & TypeName(expected)
    ElseIf actual <> expected Then
        Fail what & ": got [" & actual & "], expected [" & expected & "]"
    End If
End Sub

Sub CheckTrue(what, condition)
    Check what, CBool(condition), True
End Sub

' The error the last statement raised, then cleared.
Sub CheckError(what, number, description, source)
    checks = checks + 1
    If Err.Number <> number Or Err.Description <> description Or Err.Source <> source Then
        Fail what & ": error " & Err.Number & " [" & Err.Description & "] from [" & Err.Source & _
             "], expected " & number & " [" & description & "] from [" & source & "]"
    End If
    Err.Clear
End Sub

' An error the script host raises with a text of its own: number and source only.
Sub CheckErrorFromHost(what, number)
    checks = checks + 1
    If Err.Number <> number Or Err.Source <> RUNTIME Then
        Fail what & ": error " & Err.Number & " from [" & Err.Source & "], expected " & number & " from [" & RUNTIME & "]"
    End If
    Err.Clear
End Sub

Sub CheckNoError(what)
    checks = checks + 1
    If Err.Number <> 0 Then Fail what & ": error " & Err.Number & " " & Err.Description & " (" & Err.Source & ")"
    Err.Clear
End Sub

Function NewGroup()
    Set NewGroup = CreateObject("Tessel.clsTessel")
End Function

Function NewItem()
    Set NewItem = CreateObject("Tessel.clsPropertyItem")
End Function

Dim g, g2, it, keep, c, a, r, names, x, big, i, d(), m(1, 2)

' ---- creation and the group's name -----------------------------------------------------------
section = "creation"
Set g = NewGroup()
CheckNoError "CreateObject Tessel.clsTessel"
Check "TypeName of a group", TypeName(g), "_clsTessel"
Set it = NewItem()
CheckNoError "CreateObject Tessel.clsPropertyItem"
Check "TypeName of an item", TypeName(it), "_clsPropertyItem"
Set x = CreateObject("Tessel.NoSuchClass")
CheckError "an unregistered ProgID", 429, "ActiveX component can't create object", RUNTIME

section = "names"
Check "a new group's name", g.PropertyGroupName, ""
g.PropertyGroupName = "Main"
Check "the name put", g.PropertyGroupName, "Main"
g.PropertyGroupName = "Gr" & Chr(252) & vbNullChar & "ne"
Check "any text, embedded NUL included", g.PropertyGroupName, "Gr" & Chr(252) & vbNullChar & "ne"
g.PropertyGroupName = 12
Check "a number put becomes its text", g.PropertyGroupName, "12"

' ---- an item's fields --------------------------------------------------------------------------
section = "item fields"
Check "a new item's name", it.ItemName, ""
Check "a new item's value", it.ItemValue, ""
Check "a new item's type", it.ItemType, CInt(0)
it.ItemName = "Width"
it.ItemValue = "100"
it.ItemType = 1
Check "the name put", it.ItemName, "Width"
Check "the value put", it.ItemValue, "100"
Check "the type put", it.ItemType, CInt(1)
it.ItemType = 32767
Check "the largest type", it.ItemType, CInt(32767)
it.ItemType = -32768
Check "the smallest type", it.ItemType, CInt(-32768)
it.ItemType = "7"
Check "a numeric string converts", it.ItemType, CInt(7)
it.ItemType = 32768
CheckError "a type past 16 bits", 6, "Overflow", RUNTIME
Check "the overflowing put changes nothing", it.ItemType, CInt(7)
it.ItemType = "seven"
CheckError "a type that is no number", 13, "Type mismatch", RUNTIME
Check "the mismatching put changes nothing", it.ItemType, CInt(7)
x = it.ItemName(1)
CheckErrorFromHost "a property given an argument", 451
it.NoSuchMember = 1
CheckError "an unknown member", 438, "Object doesn't support this property or method", RUNTIME

' ---- the choice list ------------------------------------------------------------------------------
section = "choice list"
Set it = NewItem()
x = it.Count
CheckError "Count without a list", 9, "Subscript out of range", "Tessel"
x = it.GetItem(0)
CheckError "GetItem without a list", 9, "Subscript out of range", "Tessel"
a = Array("HTML", "PDF", "Text")
it.SetValueCmb a
CheckNoError "SetValueCmb with three strings"
Check "Count is the upper bound", it.Count, CInt(2)
Check "GetItem(0)", it.GetItem(0), "HTML"
Check "GetItem(2)", it.GetItem(2), "Text"
x = it.GetItem(3)
CheckError "GetItem past the upper bound", 9, "Subscript out of range", "Tessel"
x = it.GetItem(-1)
CheckError "GetItem below the lower bound", 9, "Subscript out of range", "Tessel"
x = it.GetItem(40000)
CheckError "an index past 16 bits", 6, "Overflow", RUNTIME
Check "the caller's array keeps its type", TypeName(a), "Variant()"
a(0) = "changed"
Check "the item keeps its own copy", it.GetItem(0), "HTML"
it.SetValueCmb Array(12, "x", Empty)
Check "elements convert to text", it.GetItem(0), "12"
Check "an empty element is an empty string", it.GetItem(2), ""
it.SetValueCmb Array()
Check "an array without elements: Count -1", it.Count, CInt(-1)
x = it.GetItem(0)
CheckError "GetItem of an empty list", 9, "Subscript out of range", "Tessel"
it.SetValueCmb Array("kept")
it.SetValueCmb Array("a", Null)
CheckError "an element that does not convert", 13, "Type mismatch", RUNTIME
Check "the list held before stays", it.GetItem(0), "kept"
it.SetValueCmb m
CheckError "a two-dimensional array of variants", 13, "Type mismatch", RUNTIME
it.SetValueCmb "kept"
CheckError "a string instead of an array", 13, "Type mismatch", RUNTIME
it.SetValueCmb d
CheckNoError "an array variable that holds no array"
x = it.Count
CheckError "no list after it", 9, "Subscript out of range", "Tessel"
it.ItemType = 1
x = it.Count
CheckError "ItemType 1 makes no list", 9, "Subscript out of range", "Tessel"
ReDim big(32768)
it.SetValueCmb big
CheckNoError "a list of 32,769 strings"
x = it.Count
CheckError "Count past 16 bits", 6, "Overflow", "Tessel"
Check "GetItem still reads index 32,767", it.GetItem(32767), ""

' ---- AddItem ----------------------------------------------------------------------------------------
section = "AddItem"
Set g = NewGroup()
r = g.AddItem("Title", "Report", 0, Array("ignored"))
Check "AddItem returns 0 as a Long", r, CLng(0)
Set it = g.ItemsCollection(1)
Check "the item's name", it.ItemName, "Title"
Check "the item's value", it.ItemValue, "Report"
Check "the item's type", it.ItemType, CInt(0)
x = it.Count
CheckError "type 0 takes no list", 9, "Subscript out of range", "Tessel"
a = Array("HTML", "PDF", "Text")
g.AddItem "Format", "PDF", 1, a
CheckNoError "AddItem with a choice list"
Set it = g.ItemsCollection(2)
Check "a choice-list item's Count", it.Count, CInt(2)
Check "its first choice", it.GetItem(0), "HTML"
a(1) = "changed"
Check "later changes to the caller's array do not reach it", it.GetItem(1), "PDF"
g.AddItem "Format", "Text", 1, d
CheckNoError "type 1 with an array variable that holds no array"
x = g.ItemsCollection(3).Count
CheckError "that item has no list", 9, "Subscript out of range", "Tessel"
Check "the same name twice gives two items", g.ItemsCollection(3).ItemName & g.ItemsCollection.Count, "Format3"
g.AddItem "Bad", "x", 1, Array("a", Array(1))
CheckError "a choice that does not convert", 13, "Type mismatch", RUNTIME
g.AddItem "Bad", "x", 40000, Array()
CheckError "a type past 16 bits", 6, "Overflow", RUNTIME
g.AddItem "Bad", "x", 0, Empty
CheckError "no array at all", 13, "Type mismatch", RUNTIME
g.AddItem "Bad", "x", 0
CheckError "a missing argument", 450, "Wrong number of arguments or invalid property assignment", RUNTIME
g.AddItem "Bad", "x", 0, Array(), 5
CheckError "an argument too many", 450, "Wrong number of arguments or invalid property assignment", RUNTIME
Check "failing calls add nothing", g.ItemsCollection.Count, CLng(3)

' ---- ItemsCollection and For Each --------------------------------------------------------------------
section = "ItemsCollection"
Set c = g.ItemsCollection
CheckTrue "the same collection object on every get", c Is g.ItemsCollection
Check "Count", c.Count, CLng(3)
names = ""
For Each it In g.ItemsCollection
    names = names & it.ItemName & "=" & it.ItemValue & ";"
Next
CheckNoError "For Each"
Check "For Each visits the items in order", names, "Title=Report;Format=PDF;Format=Text;"
Check "Item by position", c.Item(2).ItemValue, "PDF"
x = c(0)
CheckError "position 0", 9, "Subscript out of range", "Comrt"
x = c(4)
CheckError "a position past Count", 9, "Subscript out of range", "Comrt"
x = c("Title")
CheckError "a key", 5, "Invalid procedure call or argument", "Comrt"
c.Add NewItem(), "key"
CheckError "Add with a key", 5, "Invalid procedure call or argument", "Comrt"
c.Remove 9
CheckError "Remove past Count", 9, "Subscript out of range", "Comrt"
g.ItemsCollection = c
CheckError "ItemsCollection assigned without Set", 438, "Object doesn't support this property or method", RUNTIME

' ---- Clear ------------------------------------------------------------------------------------------
section = "Clear"
Set keep = g.ItemsCollection(2)
g.Clear
CheckNoError "Clear"
Check "Clear empties the collection", c.Count, CLng(0)
CheckTrue "and keeps the collection object", c Is g.ItemsCollection
Check "an item the script still holds keeps its value", keep.ItemValue & keep.GetItem(2), "PDFText"
g.AddItem "After", "x", 0, Array()
Check "the next item is at position 1", g.ItemsCollection(1).ItemName, "After"
Set g2 = NewGroup()
g2.Clear
CheckNoError "Clear of a group never used"
Check "leaves an empty collection", g2.ItemsCollection.Count, CLng(0)

g.ItemsCollection.Add "not an item"
g.AddItem "Behind", "x", 0, Array()
g.Clear
CheckError "an element that is not an item", 13, "Type mismatch", "Tessel"
Check "Clear stops at it: the item before it went", g.ItemsCollection(1), "not an item"
Check "and those behind it stay", g.ItemsCollection.Count, CLng(2)

' A collection of the script's own, shared by reference.
Set c = NewGroup().ItemsCollection
c.Add NewItem()
c.Add NewItem()
Set g = NewGroup()
Set g.ItemsCollection = c
g.AddItem "Third", "x", 0, Array()
Check "AddItem appends to a collection put by reference", c.Count, CLng(3)
g.Clear
Check "and Clear empties it for every holder", c.Count, CLng(0)
Set g.ItemsCollection = Nothing
CheckNoError "ItemsCollection set to Nothing"
g.Clear
CheckNoError "Clear then works on a fresh collection"
g.AddItem "Fresh", "x", 0, Array()
Check "and AddItem too", g.ItemsCollection.Count & c.Count, "10"

' Releasing the group empties a collection the script kept.
Set c = g.ItemsCollection
Set keep = g.ItemsCollection(1)
Set g = Nothing
Check "a kept collection is empty once its group is gone", c.Count, CLng(0)
Check "a kept item keeps its name", keep.ItemName, "Fresh"

' ---- the 16-bit limits --------------------------------------------------------------------------------
section = "16-bit limits"
Set g = NewGroup()
a = Array()
For i = 1 To 32767
    g.AddItem "n", "v", 0, a
Next
Check "32,767 items", g.ItemsCollection.Count, CLng(32767)
g.AddItem "n", "v", 0, a
Check "one more", g.ItemsCollection.Count, CLng(32768)
g.Clear
CheckError "Clear of 32,768 items", 6, "Overflow", "Tessel"
Check "removes nothing", g.ItemsCollection.Count, CLng(32768)
g.ItemsCollection.Remove 1
g.Clear
CheckNoError "Clear of 32,767 items"
Check "removes them all", g.ItemsCollection.Count, CLng(0)

' ---- the control, created by its ProgID -----------------------------------------------------------
' A script host is no container: the control's properties and its groups' data work, while
' showing a group needs the windows that only in-place activation gives it.
section = "control"
Dim ctl
Set ctl = CreateObject("Orvane.PropertiesCtl")
CheckNoError "CreateObject Orvane.PropertiesCtl"
ctl.BackColor = &H336699
CheckTrue "BackColor put", ctl.BackColor = &H336699
CheckTrue "the font object has a name", Len(ctl.Font.Name) > 0
ctl.Font.Size = 12
Check "the font object is the control's own", ctl.Font.Size, CCur(12)
Set g = NewGroup()
g.PropertyGroupName = "Shown"
g.AddItem "Width", "100", 0, Array()
ctl.AddPropertyGroup g
checks = checks + 1
If Err.Number <> &H8000FFFF Then Fail "a group added before activation: error " & Err.Number & ", expected E_UNEXPECTED"
Err.Clear
Check "the group keeps its item", g.ItemsCollection(1).ItemValue, "100"
Set ctl = Nothing
CheckNoError "the control released"

WScript.Echo checks & " checks, " & failures & " failed"
WScript.Quit failures
