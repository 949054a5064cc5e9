<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ar">
<context>
    <name>CapturePanel</name>
    <message>
        <source>Advanced logs</source>
        <translation>سجلات متقدمة</translation>
    </message>
    <message>
        <source>Installed app information</source>
        <translation>معلومات التطبيقات المثبتة</translation>
    </message>
</context>
<context>
    <name>FailurePanel</name>
    <message>
        <source>Error sharing logs.</source>
        <translation>حدث خطأ أثناء مشاركة السجلات.</translation>
    </message>
    <message>
        <source>Please ensure you have access to the internet.</source>
        <translation>يُرجى التأكد من اتصالك بالإنترنت.</translation>
    </message>
    <message>
        <source>Upload cancelled.</source>
        <translation>أُلغي الرفع.</translation>
    </message>
    <message>
        <source>You can</source>
        <translation>يمكنك</translation>
    </message>
    <message>
        <source>view the logs</source>
        <translation>عرض السجلات</translation>
    </message>
    <message>
        <source>and share it with us at</source>
        <translation>ومشاركتها معنا على</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>مراجعة ما سيُرسل</translation>
    </message>
    <message>
        <source>Send automatically when possible</source>
        <translation>الإرسال تلقائيًا عند الإمكان</translation>
    </message>
    <message>
        <source>Tarvix will send the report when it can.</source>
        <translation>سيرسل Tarvix التقرير عندما يتمكن من ذلك.</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>التقارير</translation>
    </message>
</context>
<context>
    <name>FeedbackForm</name>
    <message>
        <source>Desciption is required</source>
        <translation>الوصف مطلوب</translation>
    </message>
    <message>
        <source>Invalid email address</source>
        <translation>عنوان البريد الإلكتروني غير صالح</translation>
    </message>
</context>
<context>
    <name>FileViewer</name>
    <message>
        <source>back to the list</source>
        <translation>العودة إلى القائمة</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>بحث</translation>
    </message>
    <message>
        <source>Find next</source>
        <translation>البحث عن التالي</translation>
    </message>
    <message>
        <source>Only the first %1 of this file are shown.</source>
        <translation>يُعرض أول %1 فقط من هذا الملف.</translation>
    </message>
    <message>
        <source>Not found.</source>
        <translation>لم يُعثر عليه.</translation>
    </message>
</context>
<context>
    <name>Footer</name>
    <message>
        <source>© Norvane. All rights reserved.</source>
        <translation>© Norvane. جميع الحقوق محفوظة.</translation>
    </message>
</context>
<context>
    <name>Header</name>
    <message>
        <source>Scrivo and Glance</source>
        <translation>Scrivo وGlance</translation>
    </message>
    <message>
        <source>Scrivo troubleshooting tool</source>
        <translation>أداة استكشاف أخطاء Scrivo وإصلاحها</translation>
    </message>
</context>
<context>
    <name>LogsGeneratedPanel</name>
    <message>
        <source>view logs</source>
        <translation>عرض السجلات</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>مراجعة ما سيُرسل</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>التقارير</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>reports</source>
        <translation>التقارير</translation>
    </message>
</context>
<context>
    <name>QGuiApplication</name>
    <message>
        <source>QT_LAYOUT_DIRECTION</source>
        <translation>RTL</translation>
    </message>
</context>
<context>
    <name>ReportSentNotice</name>
    <message>
        <source>Report sent</source>
        <translation>تم إرسال التقرير</translation>
    </message>
    <message>
        <source>The report kept to send later was sent. Log ID: %1</source>
        <translation>تم إرسال التقرير المحفوظ للإرسال لاحقًا. معرّف السجل: %1</translation>
    </message>
</context>
<context>
    <name>ReportsPanel</name>
    <message>
        <source>Reports</source>
        <translation>التقارير</translation>
    </message>
    <message>
        <source>close</source>
        <translation>إغلاق</translation>
    </message>
    <message>
        <source>No reports yet.</source>
        <translation>لا توجد تقارير بعد.</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1، %2</translation>
    </message>
    <message>
        <source>Sent. Log ID: %1</source>
        <translation>تم الإرسال. معرّف السجل: %1</translation>
    </message>
    <message>
        <source>Waiting to be sent. Next attempt: %1</source>
        <translation>في انتظار الإرسال. المحاولة التالية: %1</translation>
    </message>
    <message>
        <source>Given up: not sent within 7 days.</source>
        <translation>تم التخلي عنه: لم يُرسل خلال 7 أيام.</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>نسخ</translation>
    </message>
    <message>
        <source>send now</source>
        <translation>إرسال الآن</translation>
    </message>
    <message>
        <source>discard</source>
        <translation>تجاهل</translation>
    </message>
</context>
<context>
    <name>ReviewPanel</name>
    <message>
        <source>left out: compressed, names cannot be hidden in it</source>
        <translation>مستبعد: مضغوط، لا يمكن إخفاء الأسماء فيه</translation>
    </message>
    <message>
        <source>What is sent</source>
        <translation>ما سيُرسل</translation>
    </message>
    <message>
        <source>close</source>
        <translation>إغلاق</translation>
    </message>
    <message>
        <source>The logs are packaged. These choices can no longer change.</source>
        <translation>حُزمت السجلات. لم يعد بالإمكان تغيير هذه الخيارات.</translation>
    </message>
    <message>
        <source>open</source>
        <translation>فتح</translation>
    </message>
    <message>
        <source>open %1</source>
        <translation>فتح %1</translation>
    </message>
    <message>
        <source>Listing the files…</source>
        <translation>جارٍ سرد الملفات…</translation>
    </message>
    <message>
        <source>Files sent: %1 (%2)</source>
        <translation>الملفات المُرسلة: %1 (%2)</translation>
    </message>
    <message>
        <source>Archive about %1 of the %2 limit (estimated by compressing a sample of each kind of file).</source>
        <translation>حجم الأرشيف نحو %1 من حد %2 (يُقدَّر بضغط عينة من كل نوع من الملفات).</translation>
    </message>
    <message>
        <source>At least one file must be sent: the description alone does not help support.</source>
        <translation>يجب إرسال ملف واحد على الأقل: الوصف وحده لا يساعد فريق الدعم.</translation>
    </message>
    <message>
        <source>The files could not be listed.</source>
        <translation>تعذّر سرد الملفات.</translation>
    </message>
    <message>
        <source>The file could not be opened.</source>
        <translation>تعذّر فتح الملف.</translation>
    </message>
    <message>
        <source>Hide my name and computer</source>
        <translation>إخفاء اسمي واسم جهازي</translation>
    </message>
    <message>
        <source>The list of replacements stays on this computer: %1</source>
        <translation>تبقى قائمة الاستبدالات على هذا الجهاز: %1</translation>
    </message>
    <message>
        <source>Also hide these words</source>
        <translation>إخفاء هذه الكلمات أيضًا</translation>
    </message>
    <message>
        <source>a customer&apos;s or a project&apos;s name, separated by commas</source>
        <translation>اسم عميل أو مشروع، مفصولة بفواصل</translation>
    </message>
    <message>
        <source>Replaced in every file sent and in your description: your login; your real name as files write it (First.Last, Last, First, any case); your home folder; this computer&apos;s names and its network (hardware and IP) addresses; e-mail addresses other than yours; the words you add (names of one or two letters only as whole words). The archive is checked for them before it leaves: a file where one is still found stays on this computer. The feedback record holds a machine identifier that cannot be traced back to you.</source>
        <translation>يُستبدل في كل ملف مُرسل وفي وصفك: اسم الدخول؛ واسمك الحقيقي كما تكتبه الملفات (الاسم.العائلة، العائلة، الاسم، بأي حالة أحرف)؛ ومجلد المنزل؛ وأسماء هذا الحاسوب وعناوين شبكته (العتاد وIP)؛ وعناوين البريد الإلكتروني غير عنوانك؛ والكلمات التي تضيفها (الأسماء المكونة من حرف أو حرفين ككلمات كاملة فقط). يُفحص الأرشيف قبل إرساله: الملف الذي لا يزال يحتوي على أحدها يبقى على هذا الحاسوب. يحتوي سجل الملاحظات على معرّف للجهاز لا يمكن تتبعه إليك.</translation>
    </message>
</context>
<context>
    <name>SentPanel</name>
    <message>
        <source>Sent</source>
        <translation>تم الإرسال</translation>
    </message>
    <message>
        <source>The log files were sent successfully.</source>
        <translation>أُرسلت ملفات السجل بنجاح.</translation>
    </message>
    <message>
        <source>Use the below Log ID for your reference:</source>
        <translation>احتفظ بمعرّف السجل التالي للرجوع إليه:</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>نسخ</translation>
    </message>
</context>
<context>
    <name>WindowText</name>
    <message>
        <source>BASIC LOGS
• Scrivo configuration, settings and logs
• System configuration and settings</source>
        <translation>السجلات الأساسية
• تكوين Scrivo وإعداداته وسجلاته
• تكوين النظام وإعداداته</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings</source>
        <translation>السجلات الأساسية                                السجلات المتقدمة
• تكوين Scrivo وإعداداته وسجلاته      • تفريغ كامل لبيانات Scrivo
• تكوين النظام وإعداداته</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings                  • Installed app version information</source>
        <translation>السجلات الأساسية                                السجلات المتقدمة
• تكوين Scrivo وإعداداته وسجلاته      • تفريغ كامل لبيانات Scrivo
• تكوين النظام وإعداداته                    • معلومات إصدارات التطبيقات المثبتة</translation>
    </message>
    <message>
        <source>Start monitoring</source>
        <translation>بدء المراقبة</translation>
    </message>
    <message>
        <source>Stop monitoring</source>
        <translation>إيقاف المراقبة</translation>
    </message>
    <message>
        <source>Share logs</source>
        <translation>مشاركة السجلات</translation>
    </message>
    <message>
        <source>Stop upload</source>
        <translation>إيقاف الرفع</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>إغلاق</translation>
    </message>
    <message>
        <source>Tarvix needs to collect the following information to address the issue</source>
        <translation>يحتاج Tarvix إلى جمع المعلومات التالية لمعالجة المشكلة</translation>
    </message>
    <message>
        <source>Please tell us what led to the error</source>
        <translation>يُرجى إخبارنا بما أدى إلى الخطأ</translation>
    </message>
    <message>
        <source>Norvane can contact me for fixes at the following email address</source>
        <translation>يمكن لـ Norvane التواصل معي بشأن الإصلاحات على عنوان البريد الإلكتروني التالي</translation>
    </message>
    <message>
        <source>Please reproduce the steps that led to the issue and then select Stop monitoring</source>
        <translation>يُرجى تكرار الخطوات التي أدت إلى المشكلة ثم اختيار «إيقاف المراقبة»</translation>
    </message>
    <message>
        <source>Capturing Scrivo data dump.</source>
        <translation>جارٍ التقاط تفريغ بيانات Scrivo.</translation>
    </message>
    <message>
        <source>Capturing system configuration and settings.</source>
        <translation>جارٍ التقاط تكوين النظام وإعداداته.</translation>
    </message>
    <message>
        <source>Capturing Scrivo settings and logs.</source>
        <translation>جارٍ التقاط إعدادات Scrivo وسجلاته.</translation>
    </message>
    <message>
        <source>Logging complete.</source>
        <translation>اكتمل التسجيل.</translation>
    </message>
    <message>
        <source>Compressing logs.</source>
        <translation>جارٍ ضغط السجلات.</translation>
    </message>
    <message>
        <source>No Scrivo installation detected</source>
        <translation>لم يُعثر على تثبيت لـ Scrivo</translation>
    </message>
    <message>
        <source>No Scrivo installation found on this device. Please install Scrivo and then start troubeshooting.</source>
        <translation>لم يُعثر على Scrivo مثبتًا على هذا الجهاز. يُرجى تثبيت Scrivo ثم بدء استكشاف الأخطاء وإصلاحها.</translation>
    </message>
    <message>
        <source>Multiple instances of Scrivo detected</source>
        <translation>اكتُشفت عدة نسخ من Scrivo</translation>
    </message>
    <message>
        <source>Please ensure that only one Scrivo app which needs troubleshooting is open, before running Tarvix.</source>
        <translation>يُرجى التأكد من فتح تطبيق Scrivo واحد فقط، وهو الذي يحتاج إلى استكشاف الأخطاء، قبل تشغيل Tarvix.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>موافق</translation>
    </message>
    <message>
        <source>Tarvix is collecting Scrivo&apos;s logs.</source>
        <translation>يجمع Tarvix سجلات Scrivo.</translation>
    </message>
    <message>
        <source>Scrivo&apos;s detailed logging stays on until monitoring is stopped.</source>
        <translation>يبقى التسجيل المفصّل في Scrivo مفعّلًا حتى تُوقف المراقبة.</translation>
    </message>
    <message>
        <source>Tarvix is sending the logs to the support team.</source>
        <translation>يرسل Tarvix السجلات إلى فريق الدعم.</translation>
    </message>
    <message>
        <source>Tarvix is switching on Scrivo&apos;s detailed logging.</source>
        <translation>يفعّل Tarvix التسجيل المفصّل في Scrivo.</translation>
    </message>
    <message>
        <source>Uploading %1%</source>
        <translation>جارٍ الرفع %1%</translation>
    </message>
    <message>
        <source>Tarvix will send the reports kept to send later when it can.</source>
        <translation>سيرسل Tarvix التقارير المحفوظة للإرسال لاحقًا عندما يتمكن من ذلك.</translation>
    </message>
    <message>
        <source>A hidden name is still in %1, so it is left out. Review what is sent, then share again.</source>
        <translation>لا يزال اسم مخفي موجودًا في %1، لذا سيُستبعد. راجع ما سيُرسل، ثم شارك مرة أخرى.</translation>
    </message>
</context>
<context>
    <name>tarvix::app::StillRunningNotice</name>
    <message>
        <source>Tarvix is still running</source>
        <translation>لا يزال Tarvix قيد التشغيل</translation>
    </message>
    <message>
        <source>Start Tarvix again to bring its window back.</source>
        <translation>شغّل Tarvix مرة أخرى لإعادة نافذته.</translation>
    </message>
    <message>
        <source>Show Tarvix</source>
        <translation>إظهار Tarvix</translation>
    </message>
</context>
</TS>
