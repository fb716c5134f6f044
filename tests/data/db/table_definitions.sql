Create Table invt1 (SL CHAR (8) NOT NULL DEFAULT ' ', ItemID CHAR (25) NOT NULL DEFAULT ' ', Description CHAR (30) DEFAULT ' ', SubDescription CHAR (20) DEFAULT ' ', ReorderFlag CHAR (1) DEFAULT ' ', Serialized CHAR (1) DEFAULT ' ', HasSold CHAR (1) DEFAULT ' ', VendorCode CHAR (15) DEFAULT ' ', Price DECIMAL (18,4), Cost DECIMAL (18,4), QtyOnHand DECIMAL (18,4), MinQ SMALLINT, MaxQ INT, QTYINPACK SMALLINT, TaxCode CHAR (1) DEFAULT ' ', DeptCode CHAR (11) DEFAULT ' ', NotUsed CHAR (1) DEFAULT ' ', OnOrder SMALLINT, AvgCost DECIMAL (18,4), Notes CHAR (1) DEFAULT ' ', Kit CHAR (1) DEFAULT ' ', Poll CHAR (1) DEFAULT ' ', Scalable CHAR(1) DEFAULT ' ', FoodStamp CHAR(1) DEFAULT ' ', LinkBreakPack CHAR(8) DEFAULT ' ', LinkItem CHAR(8) DEFAULT ' ', LinkStock CHAR(8) DEFAULT ' ', FlgMatrix CHAR(1) DEFAULT ' ', FlgMatrixItem CHAR(1) DEFAULT ' ', AllowDiscounts CHAR(1) DEFAULT ' ', FLAGS CHAR(20) DEFAULT ' ', RegionID SMALLINT, PriceIncTax DECIMAL(18,2), LastSold CHAR(8) DEFAULT ' ', Status CHAR(1) DEFAULT ' ', VolumetrcUnit CHAR(6) DEFAULT ' ', UOM CHAR(5) DEFAULT ' ', StoreRef CHAR(30) DEFAULT ' ', LocFront CHAR(8) DEFAULT ' ', LocBack CHAR(8) DEFAULT ' ', RecordNum INTEGER, NonDecrement CHAR(1) DEFAULT ' ', FlgPromoPrice CHAR(1) DEFAULT ' ', FlgQtyPrice CHAR(1) DEFAULT ' ', FlgWebEnable CHAR(1) DEFAULT ' ', FlgPriceLevel CHAR(1) DEFAULT ' ', FlgQZV CHAR(1) DEFAULT ' ', NeverOrder CHAR(1) DEFAULT ' ', SaleCommission CHAR(5) DEFAULT ' ', Class CHAR(2) DEFAULT ' ', PriceFactor CHAR(6) DEFAULT ' ', Price2 DECIMAL (18,4), UnitsPerUOM SMALLINT, QZV1 INTEGER, QZV2 INTEGER, PenLiqorUnit SMALLINT DEFAULT 0, QZV3 INTEGER DEFAULT 0);
Create UNIQUE CLUSTERED Index idx_0 On invt1(RecordNum);
Create UNIQUE  Index idx_1 On invt1(SL);
Create UNIQUE  Index idx_2 On invt1(ItemID);
Create UNIQUE  Index idx_3 On invt1(Description, SL);
Create UNIQUE  Index idx_4 On invt1(SubDescription, SL);
Create UNIQUE Index idx_5 On invt1(VendorCode, SL);
Create UNIQUE Index idx_6 On invt1(VendorCode, ItemID);
Create Index idx_7 On invt1(VendorCode, Description);
Create UNIQUE Index idx_8 On invt1(DeptCode, ItemID);
Create Index idx_9 On invt1(PriceFactor, Description);
Create UNIQUE Index idx_10 on invt1(LocFront, RecordNum);
Create UNIQUE Index idx_11 on invt1(LocBack, RecordNum);
Create UNIQUE Index idx_12 on invt1(Poll, RecordNum);

Create Table UPC1 (SL CHAR (8) NOT NULL, UPC CHAR (15) NOT NULL, LABEL CHAR (30), POLL CHAR (1),InvUID INTEGER);
Create Index idx_0 On UPC1(SL);
Create UNIQUE  CLUSTERED Index idx_1 On UPC1(UPC, SL);
Create UNIQUE Index idx_2 On UPC1(UPC);
Create Index idx_3 On UPC1(Poll);
Create Index idx_4 On UPC1(InvUID);

Create Table COMMON (ProgramVersion CHAR (10), DupID CHAR (1), Cname CHAR (40), WebAddress CHAR (40), Ccity CHAR (25), Cstate CHAR (3), Czip CHAR (10), CPhone CHAR (14), Cfax CHAR (14), MandatoryName CHAR (1), RequestedTicket INTEGER, MaxStations SMALLINT, USEurope CHAR (1), Cups CHAR (11), ShippingSL1 CHAR (9), ShippingSL2 CHAR (9), ShippingSL3 CHAR (9), ExchangeRate REAL, Back_Up CHAR (1), PackMode CHAR (3), Security CHAR (1), PONumber INTEGER, StoreNumber SMALLINT, Accounting CHAR (2), AutoPhoneFormat CHAR (1), AutoProperNames CHAR (1), OrderOfLookup CHAR (1), DefaultARCode CHAR (1), D2 CHAR (9), MultiStore CHAR (1), D5 CHAR (2), TaxRate1 REAL, TaxRate2 REAL, TaxRate3 REAL, TaxRate4 REAL, TaxRate5 REAL, BreakPoint DECIMAL, TaxRateAbove REAL, TaxRate2nd REAL, TaxCity CHAR (1), TaxRound CHAR (1), TaxLineTot CHAR (1), NoTaxOnFirst decimal, TaxAdjust DECIMAL, PrTagTax CHAR (1), CreditService CHAR (1), CreditUserID CHAR (20), CreditPwd CHAR (20), AccessAcount CHAR (1), AccessInventory CHAR (1), AccessConfig CHAR (1), AccessOrder CHAR (1), AccessVoid CHAR (1), AccessReports CHAR (1), AccessMargin CHAR (1), AccessCost CHAR (1), AccessQty CHAR (1), CRLimmitActive CHAR (1), SlipPrint CHAR (6), UpperCaseItemID CHAR (1), UpperCaseSL CHAR (1), POExportType CHAR (1), NamePreFill CHAR (1), CheckStatCode CHAR (2), CheckCompany CHAR (3), FullBack CHAR (1), StaFullBack SMALLINT, FullBackTime SMALLINT, TaxSearch2nd CHAR (1), TaxLabel2nd CHAR (3), MerchantID CHAR (14), PartnerID CHAR (14), ReprintMessage CHAR (15), NickelAdjust CHAR (1), TaxRate6 REAL, StartupFee DECIMAL, CancelFee DECIMAL, MinPercent DECIMAL, MinDollar DECIMAL, PullLayaway CHAR (1), NewQty CHAR (1), TaxCodeRateAbove CHAR (1), BackTime CHAR (1), WeeklyNum SMALLINT, DailyNum SMALLINT, MinFreeSpace SMALLINT, POPrintPM CHAR (1), MinPriceWarn CHAR (1), PriceMethod CHAR (1), DMargin REAL, ICV CHAR (1), WinPOFlag CHAR (1), AllowChangeDiscount CHAR (1), CCountry CHAR (20), IncrementItems CHAR (1), CountryID SMALLINT, Email CHAR (35), Spare CHAR (65));
Create UNIQUE Index idx_0 On COMMON(DupID);

