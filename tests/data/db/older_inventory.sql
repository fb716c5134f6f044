-- The inventory table as an older release created it: 55 columns, a 15-character item code,
-- a whole-number quantity, PriceFactor where NotUsed is now, Flg2 and Spare1; its indexes.
Create Table invt5 (SL CHAR (8) NOT NULL DEFAULT ' ', ItemID CHAR (15) NOT NULL DEFAULT ' ', Description CHAR (30) DEFAULT ' ', SubDescription CHAR (20) DEFAULT ' ', ReorderFlag CHAR (1) DEFAULT ' ', Serialized CHAR (1) DEFAULT ' ', HasSold CHAR (1) DEFAULT ' ', VendorCode CHAR (15) DEFAULT ' ', Price DECIMAL (18,4), Cost DECIMAL (18,4), QtyOnHand SMALLINT, MinQ SMALLINT, MaxQ INT, QTYINPACK SMALLINT, TaxCode CHAR (1) DEFAULT ' ', DeptCode CHAR (11) DEFAULT ' ', PriceFactor CHAR (6) DEFAULT ' ', OnOrder SMALLINT, AvgCost DECIMAL (18,4), Notes CHAR (1) DEFAULT ' ', Kit CHAR (1) DEFAULT ' ', Poll CHAR (1) DEFAULT ' ', Scalable CHAR(1) DEFAULT ' ', FoodStamp CHAR(1) DEFAULT ' ', LinkBreakPack CHAR(8) DEFAULT ' ', LinkItem CHAR(8) DEFAULT ' ', LinkStock CHAR(8) DEFAULT ' ', FlgMatrix CHAR(1) DEFAULT ' ', FlgMatrixItem CHAR(1) DEFAULT ' ', AllowDiscounts CHAR(1) DEFAULT ' ', FLAGS CHAR(20) DEFAULT ' ', RegionID SMALLINT, PriceIncTax DECIMAL(18,2), LastSold CHAR(8) DEFAULT ' ', Status CHAR(1) DEFAULT ' ', VolumetrcUnit CHAR(6) DEFAULT ' ', UOM CHAR(5) DEFAULT ' ', StoreRef CHAR(30) DEFAULT ' ', LocFront CHAR(8) DEFAULT ' ', LocBack CHAR(8) DEFAULT ' ', RecordNum INTEGER, NonDecrement CHAR(1) DEFAULT ' ', FlgPromoPrice CHAR(1) DEFAULT ' ', FlgQtyPrice CHAR(1) DEFAULT ' ', FlgWebEnable CHAR(1) DEFAULT ' ', FlgPriceLevel CHAR(1) DEFAULT ' ', FlgQZV CHAR(1) DEFAULT ' ', Flg2 CHAR(1) DEFAULT ' ', SaleCommission CHAR(5) DEFAULT ' ', Class CHAR(2) DEFAULT ' ', Spare1 CHAR(6) DEFAULT ' ', Price2 DECIMAL (18,4), UnitsPerUOM SMALLINT, QZV1 INTEGER, QZV2 INTEGER);
Create UNIQUE CLUSTERED Index idx_0 On invt5(RecordNum)
Create UNIQUE  Index idx_1 On invt5(SL)
Create UNIQUE  Index idx_2 On invt5(ItemID)
Create UNIQUE  Index idx_3 On invt5(Description, SL)
Create UNIQUE  Index idx_4 On invt5(SubDescription, SL)
Create UNIQUE Index idx_5 On invt5(VendorCode, SL)
Create UNIQUE Index idx_6 On invt5(VendorCode, ItemID)
Create Index idx_7 On invt5(VendorCode, Description)
Create UNIQUE Index idx_8 On invt5(DeptCode, ItemID)
Create Index idx_9 On invt5(PriceFactor, Description)
Create UNIQUE Index idx_10 on invt5(LocFront, RecordNum)
Create UNIQUE Index idx_11 on invt5(LocBack, RecordNum)
Create UNIQUE Index idx_12 on invt5(Poll, RecordNum)
